#pragma once
// The real program, started as a user starts it: in a working folder that
// holds the firmware image, its window found and worked from this process
// through the UI driver.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

constexpr char IMAGE_NAME[] = "X7Q2-ZEMU-TW-R103-0-V4_4_0.bin";

class Program_Under_Test {
public:
    // program: Windows path of the executable.
    Program_Under_Test(const std::string& program, const std::string& tag);
    ~Program_Under_Test(); // ends a process still running, removes the folder
    Program_Under_Test(const Program_Under_Test&) = delete;
    Program_Under_Test& operator=(const Program_Under_Test&) = delete;

    // Writes a passing image into the working folder, starts the program
    // there and waits for its window. Empty on success, else why not.
    std::string Start();

    // The image file of the working folder.
    bool Delete_Image();
    bool Spoil_Image(); // other content of the same size, which fails the check
    bool Restore_Image();
    const std::vector<uint8_t>& Image() const { return image_; }

    DWORD Pid() const { return process_.dwProcessId; }
    HWND Form() const { return form_; }
    bool Running() const;
    // The exit status, or STILL_ACTIVE when it still runs after timeout_ms.
    DWORD Wait_Exit(DWORD timeout_ms) const;

    // Texts are code page 950 bytes, as the program holds them.
    bool Click(const std::string& caption) const;
    bool Button_Enabled(const std::string& caption, bool& enabled) const;
    bool Read_Log(std::string& memo) const;

private:
    std::string program_, folder_;
    std::vector<uint8_t> image_;
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
};

} // namespace e2e
