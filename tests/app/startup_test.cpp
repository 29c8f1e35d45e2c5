// The program itself: started with CreateProcess in a working folder of its
// own, and read from this process through Win32 only, as a person's tools would.
//   app_startup_test PROGRAM (a Unix path under Wine)
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_test_files.h"
#include "tools/ui_driver/ui_driver.h"
#include "ui_texts.h"
#include "wine_path.h"

namespace {

std::string g_program; // Windows path of the program under test
constexpr char IMAGE[] = "X7Q2-ZEMU-TW-R103-0-V4_4_0.bin";
constexpr DWORD START_TIMEOUT_MS = 30000; // the check reads the image twice, byte by byte
constexpr DWORD EXIT_TIMEOUT_MS = 10000;

class Program {
public:
    // Copies the program into a folder of its own, with an image beside it,
    // and starts it in another, empty, working folder.
    explicit Program(const char* tag)
    {
        program_folder_ = app_test::Make_Temp_Folder(std::string(tag) + "_program");
        work_folder = app_test::Make_Temp_Folder(std::string(tag) + "_work");
        copy_ = program_folder_ + "\\X7Q2Update.exe";
        ready_ = !program_folder_.empty() && !work_folder.empty() &&
                 CopyFileA(g_program.c_str(), copy_.c_str(), FALSE) &&
                 app_test::Write_Image(program_folder_ + "\\" + IMAGE);
    }
    ~Program()
    {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, EXIT_TIMEOUT_MS);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        for (const std::string& folder : {program_folder_, work_folder}) {
            DeleteFileA((folder + "\\" + IMAGE).c_str());
            DeleteFileA((folder + "\\X7Q2Update.exe").c_str());
            RemoveDirectoryA(folder.c_str());
        }
    }

    bool Start()
    {
        if (!ready_) return false;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + copy_ + "\"";
        return CreateProcessA(copy_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              work_folder.c_str(), &startup, &process_);
    }
    DWORD Pid() const { return process_.dwProcessId; }
    // The exit status, or STILL_ACTIVE when the process did not end in time.
    DWORD Wait_Exit()
    {
        if (WaitForSingleObject(process_.hProcess, EXIT_TIMEOUT_MS) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD status = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &status);
        return status;
    }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    bool Window_Shown() const
    {
        HWND form = ui_driver::Main_Window(Pid());
        return form && IsWindowVisible(form);
    }

    std::string work_folder;

private:
    std::string program_folder_, copy_;
    bool ready_ = false;
    PROCESS_INFORMATION process_{};
};

struct Refusal {
    const char* name;
    bool image_in_working_folder;
    bool spoiled;
    std::string box_text;
};

class Refused : public ::testing::TestWithParam<Refusal> {};

// The image check fails: its box appears, the window never does, status 0.
TEST_P(Refused, ShowsTheBoxAndEndsWithoutAWindow)
{
    const Refusal& r = GetParam();
    Program program(r.name);
    if (r.image_in_working_folder) {
        ASSERT_TRUE(app_test::Write_Image(program.work_folder + "\\" + IMAGE, r.spoiled));
    }
    ASSERT_TRUE(program.Start());

    HWND box = nullptr;
    bool shown = false;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < START_TIMEOUT_MS; Sleep(20)) {
        shown = shown || program.Window_Shown();
        box = ui_driver::Message_Box(program.Pid());
    }
    ASSERT_NE(box, nullptr) << "no message box";
    std::string text;
    ASSERT_TRUE(ui_driver::Read_Message_Box(box, text));
    EXPECT_EQ(text, r.box_text);
    ASSERT_TRUE(ui_driver::Press_Ok(box));
    while (program.Running()) {
        shown = shown || program.Window_Shown();
        Sleep(10);
    }
    EXPECT_FALSE(shown) << "the main window appeared";
    EXPECT_EQ(program.Wait_Exit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ImageCheck, Refused,
    ::testing::Values(Refusal{"missing", false, false, "Read X7Q2-ZEMU-TW-R103-0-V4_4_0.bin Failed"},
                      Refusal{"altered", true, true, "BIN files Error"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

class Started : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app_test::Write_Image(program.work_folder + "\\" + IMAGE));
        ASSERT_TRUE(program.Start());
        form = ui_driver::Wait_Main_Window(program.Pid(), START_TIMEOUT_MS);
        ASSERT_NE(form, nullptr) << "the window did not appear";
    }
    Program program{"good"};
    HWND form = nullptr;
};

TEST_F(Started, ShowsTheDescribedWindow)
{
    std::string caption;
    ASSERT_TRUE(ui_driver::Read_Text(form, caption));
    EXPECT_EQ(caption, ui_text::FORM1_CAPTION);

    ui_driver::Window_Geometry g{};
    ASSERT_TRUE(ui_driver::Geometry(form, g));
    EXPECT_EQ(g.window.left, 380);
    EXPECT_EQ(g.window.top, 116);
    EXPECT_EQ(g.client_size.cx, 362);
    EXPECT_EQ(g.client_size.cy, 370);

    std::string memo;
    ASSERT_TRUE(ui_driver::Read_Memo(form, memo));
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = memo.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(memo.substr(start, end - start));
    ASSERT_EQ(lines.size(), 42u);
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], ui_text::INSTRUCTIONS[i]) << "line " << i + 1;
    EXPECT_EQ(memo.size() >= 2 ? memo.substr(memo.size() - 2) : memo, "\r\n");

    const std::vector<std::string> buttons{ui_text::BUTTON_DOWNLOAD_CAPTION, ui_text::BUTTON_EXIT_SYSTEM_CAPTION};
    EXPECT_EQ(ui_driver::Button_Captions(form), buttons);
    for (const std::string& button : buttons) {
        bool enabled = false;
        ASSERT_TRUE(ui_driver::Button_Enabled(form, button, enabled));
        EXPECT_TRUE(enabled);
    }


    HWND bar = FindWindowExA(form, nullptr, PROGRESS_CLASSA, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
}

// The window's icon: one picture of 32 x 32 pixels in 16 colours.
TEST(Program, CarriesTheIcon)
{
    HMODULE module = LoadLibraryExA(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceA(module, "MAINICON", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    // The group's directory: reserved, type, count, then 14-byte entries.
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_GE(SizeofResource(module, group), 20u);
    EXPECT_EQ(dir[4] | dir[5] << 8, 1) << "one picture";
    EXPECT_EQ(dir[6], 32);  // width
    EXPECT_EQ(dir[7], 32);  // height
    EXPECT_EQ(dir[8], 16);  // colours
    EXPECT_EQ(dir[12] | dir[13] << 8, 4); // bits a pixel
    FreeLibrary(module);
}

TEST_F(Started, ExitButtonEndsTheProcessWithStatus0)
{
    ASSERT_TRUE(ui_driver::Click_Button(form, ui_text::BUTTON_EXIT_SYSTEM_CAPTION));
    EXPECT_EQ(program.Wait_Exit(), 0u);
}

// The frame's close command and Alt+F4 (wherever the focus is) run the
// close event too.
struct Close_Command {
    const char* name;
    bool to_memo;
    UINT message;
    WPARAM wp;
    LPARAM lp;
};

class Closed : public Started, public ::testing::WithParamInterface<Close_Command> {};

TEST_P(Closed, EndsTheProcessWithStatus0)
{
    const Close_Command& c = GetParam();
    HWND target = c.to_memo ? FindWindowExA(form, nullptr, ui_driver::MEMO_CLASS, nullptr) : form;
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(PostMessageA(target, c.message, c.wp, c.lp));
    EXPECT_EQ(program.Wait_Exit(), 0u);
}

constexpr LPARAM ALT_F4 = 0x203E0001; // scan code of F4, Alt held (bit 29)
INSTANTIATE_TEST_SUITE_P(Frame, Closed,
                         ::testing::Values(Close_Command{"WmClose", false, WM_CLOSE, 0, 0},
                                           Close_Command{"ScClose", false, WM_SYSCOMMAND, SC_CLOSE, 0},
                                           Close_Command{"AltF4", false, WM_SYSKEYDOWN, VK_F4, ALT_F4},
                                           Close_Command{"AltF4InTheMemo", true, WM_SYSKEYDOWN, VK_F4, ALT_F4}),
                         [](const ::testing::TestParamInfo<Close_Command>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: app_startup_test PROGRAM\n");
        return 2;
    }
    g_program = argv[1][0] == '/' ? x7test::UnixToWinePath(argv[1]) : argv[1];
    return RUN_ALL_TESTS();
}
