#include "program_under_test.h"

#include <fstream>
#include <iterator>

#include "tests/app/app_test_files.h"
#include "tools/ui_driver/ui_driver.h"

namespace e2e {
namespace {

// The start-up check reads the image twice, byte by byte.
constexpr DWORD WINDOW_TIMEOUT_MS = 30000;
constexpr DWORD END_TIMEOUT_MS = 10000;

} // namespace

Program_Under_Test::Program_Under_Test(const std::string& program, const std::string& tag)
    : program_(program), folder_(app_test::Make_Temp_Folder("e2e_" + tag))
{
}

Program_Under_Test::~Program_Under_Test()
{
    if (process_.hProcess) {
        if (Running()) TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, END_TIMEOUT_MS);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    if (!folder_.empty()) {
        DeleteFileA((folder_ + "\\" + IMAGE_NAME).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
}

std::string Program_Under_Test::Start()
{
    if (folder_.empty()) return "no working folder";
    if (!Restore_Image()) return "cannot write the image";
    std::ifstream in(folder_ + "\\" + IMAGE_NAME, std::ios::binary);
    image_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + program_ + "\"";
    if (!CreateProcessA(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &process_))
        return "cannot start " + program_ + " (error " + std::to_string(GetLastError()) + ")";
    form_ = ui_driver::Wait_Main_Window(Pid(), WINDOW_TIMEOUT_MS);
    return form_ ? "" : "the window did not appear";
}

bool Program_Under_Test::Delete_Image() { return DeleteFileA((folder_ + "\\" + IMAGE_NAME).c_str()) != FALSE; }
bool Program_Under_Test::Spoil_Image() { return app_test::Write_Image(folder_ + "\\" + IMAGE_NAME, true); }
bool Program_Under_Test::Restore_Image() { return app_test::Write_Image(folder_ + "\\" + IMAGE_NAME); }

bool Program_Under_Test::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program_Under_Test::Wait_Exit(DWORD timeout_ms) const
{
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
}

bool Program_Under_Test::Click(const std::string& caption) const { return ui_driver::Click_Button(form_, caption); }

bool Program_Under_Test::Button_Enabled(const std::string& caption, bool& enabled) const
{
    return ui_driver::Button_Enabled(form_, caption, enabled);
}

bool Program_Under_Test::Read_Log(std::string& memo) const { return ui_driver::Read_Memo(form_, memo); }

} // namespace e2e
