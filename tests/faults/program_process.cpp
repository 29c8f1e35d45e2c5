#include "program_process.h"

#include "app_test_files.h"
#include "tools/ui_driver/ui_driver.h"

namespace faults {
namespace {

constexpr char IMAGE_NAME[] = "X7Q2-ZEMU-TW-R103-0-V4_4_0.bin";
// The start-up check reads the whole image; under load that takes a while.
constexpr DWORD WINDOW_TIMEOUT_MS = 60000;
constexpr DWORD KILL_TIMEOUT_MS = 10000;

} // namespace

Program_Process::Program_Process(std::string program) : program_(std::move(program)) {}

Program_Process::~Program_Process()
{
    Kill();
    if (!folder_.empty()) {
        DeleteFileA((folder_ + "\\" + IMAGE_NAME).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
}

std::string Program_Process::Start()
{
    Kill();
    if (folder_.empty()) folder_ = app_test::Make_Temp_Folder("faults");
    if (folder_.empty()) return "cannot make a working folder";
    if (!image_written_) {
        if (!app_test::Write_Image(folder_ + "\\" + IMAGE_NAME)) return "cannot write the image";
        image_written_ = true;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + program_ + "\"";
    if (!CreateProcessA(program_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &startup, &process_)) {
        process_ = PROCESS_INFORMATION{};
        return "CreateProcess failed with error " + std::to_string(GetLastError());
    }
    ++starts_;
    form_ = ui_driver::Wait_Main_Window(Pid(), WINDOW_TIMEOUT_MS);
    if (!form_) return "the window did not appear";
    return "";
}

bool Program_Process::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program_Process::Wait_Exit(DWORD timeout_ms) const
{
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
}

void Program_Process::Kill()
{
    if (!process_.hProcess) return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, KILL_TIMEOUT_MS);
    }
    Close_Handles();
}

void Program_Process::Close_Handles()
{
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = PROCESS_INFORMATION{};
    form_ = nullptr;
}

} // namespace faults
