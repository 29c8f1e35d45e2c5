// Checksum ends the process: each case runs checksum_probe in a child process
// with its own working folder.
#include <windows.h>

#include <fstream>
#include <sstream>

#include "image/image.h"
#include "image_test_support.h"
#include "tools/mkimage/image_maker.h"

namespace {

struct Probe_Run {
    DWORD exit_code = 0xFFFFFFFF;
    std::string output;
};

std::string Probe_Path()
{
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + "image_checksum_probe.exe";
}

class Checksum_Exit : public Image_Test {
protected:
    // Runs program with working folder folder; its stdout goes to a file.
    Probe_Run Run_Probe(const std::string& program, const std::string& folder)
    {
        Probe_Run run;
        std::string out_path = Folder + "\\probe.out";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(out, INVALID_HANDLE_VALUE);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        PROCESS_INFORMATION process = {};
        std::string command = "\"" + program + "\"";
        bool started = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
        CloseHandle(out);
        EXPECT_TRUE(started) << program << " error " << GetLastError();
        if (!started)
            return run;
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(process.hProcess, &run.exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::ifstream in(out_path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        run.output = text.str();
        return run;
    }

    Probe_Run Run_Here() { return Run_Probe(Probe_Path(), Folder); }
};

TEST_F(Checksum_Exit, APassingFileReturns)
{
    Write_File(IMAGE_FILE_NAME, Passing_Image(6000000));
    Probe_Run run = Run_Here();
    EXPECT_EQ(run.output, "RETURNED\n");
    EXPECT_EQ(run.exit_code, 3u);
}

TEST_F(Checksum_Exit, FailuresShowTheirBoxAndEndWithStatusZero)
{
    Bytes spoiled = Passing_Image(6000000);
    Spoil_Image(spoiled, 3000000);
    const struct {
        const char* name;
        bool folder;
        Bytes bytes;
        const char* box;
    } cases[] = {
        {"missing", false, {}, nullptr},
        {"folder", true, {}, nullptr},
        {"empty", false, {}, "BOX:BIN files Error\n"},
        {"three bytes", false, {0x80, 0x01, 0xFF}, "BOX:BIN files Error\n"},
        {"one flipped byte", false, spoiled, "BOX:BIN files Error\n"},
    };
    for (const auto& c : cases) {
        std::string folder = Folder + "\\" + c.name;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        std::string path = folder + "\\" + IMAGE_FILE_NAME;
        if (c.folder)
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        else if (c.box)
            Write_File(path, c.bytes);
        Probe_Run run = Run_Probe(Probe_Path(), folder);
        EXPECT_EQ(run.output, c.box ? c.box : "BOX:Read X7Q2-ZEMU-TW-R103-0-V4_4_0.bin Failed\n") << c.name;
        EXPECT_EQ(run.exit_code, 0u) << c.name;
    }
}

// The name is looked up in the working folder, never in the program's.
TEST_F(Checksum_Exit, AnImageBesideTheProgramIsNotUsed)
{
    std::string program_folder = Folder + "\\program", work = Folder + "\\work";
    ASSERT_TRUE(CreateDirectoryA(program_folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    std::string program = program_folder + "\\probe.exe";
    ASSERT_TRUE(CopyFileA(Probe_Path().c_str(), program.c_str(), FALSE));
    Write_File(program_folder + "\\" + IMAGE_FILE_NAME, Passing_Image(6000000));
    Probe_Run run = Run_Probe(program, work);
    EXPECT_EQ(run.output, "BOX:Read X7Q2-ZEMU-TW-R103-0-V4_4_0.bin Failed\n");
    EXPECT_EQ(run.exit_code, 0u);
}

} // namespace
