#pragma once
// The application object: start-up, the message loop and the message pump
// that the serial link calls to keep the window alive during an update.
#include <windows.h>

#include <string>

#include "vcl/sysutils.h"

class TApplication {
public:
    void Initialize();
    // Dispatches every pending message of the thread, then returns.
    void ProcessMessages();
    // Runs the message loop until WM_QUIT.
    void Run();
    // Shows an exception's message in the standard error box.
    void ShowException(const Exception& e);

    // The window that owns message boxes (none until the main form exists).
    HWND Main_Window() const { return main_window_; }
    void Set_Main_Window(HWND hwnd) { main_window_ = hwnd; }
    // The program's name, as message boxes show it in their caption.
    std::string Title() const;

    // Tests only: called at the start of every ProcessMessages.
    static void (*Pump_Hook)();

private:
    HWND main_window_ = nullptr;
};

extern TApplication* Application;
