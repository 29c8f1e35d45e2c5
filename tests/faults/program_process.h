#pragma once
// The real program, started as a user starts it: in a working folder that
// holds a passing firmware image. One folder serves every start, so a
// campaign can start the program again after a run that ended it.
#include <windows.h>

#include <string>

namespace faults {

class Program_Process {
public:
    // program: Windows path of the executable.
    explicit Program_Process(std::string program);
    ~Program_Process(); // ends a process still running, removes the folder
    Program_Process(const Program_Process&) = delete;
    Program_Process& operator=(const Program_Process&) = delete;

    // Starts the program (ending one still running) and waits for its
    // window. Empty on success, else why not.
    std::string Start();
    bool Running() const;
    // The exit status, or STILL_ACTIVE when it still runs after timeout_ms.
    DWORD Wait_Exit(DWORD timeout_ms) const;
    void Kill();

    DWORD Pid() const { return process_.dwProcessId; }
    HWND Form() const { return form_; }
    // How many times the program has been started.
    int Starts() const { return starts_; }

private:
    void Close_Handles();

    std::string program_, folder_;
    bool image_written_ = false;
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
    int starts_ = 0;
};

} // namespace faults
