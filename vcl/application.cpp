#include "vcl/application.h"

#include <commctrl.h>

void (*TApplication::Pump_Hook)() = nullptr;

namespace {
TApplication g_application;
}
TApplication* Application = &g_application;

void TApplication::Initialize() { InitCommonControls(); }

void TApplication::Dispatch(MSG& msg)
{
    // Tab, the arrow keys and the space bar move between and press the controls.
    HWND main = Main_Window();
    if (main && IsDialogMessageA(main, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void TApplication::ProcessMessages()
{
    if (Pump_Hook) Pump_Hook();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

void TApplication::Run()
{
    if (main_form_) main_form_->Show();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void TApplication::ShowException(const Exception& e)
{
    MessageBoxA(Main_Window(), e.what(), Title().c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

std::string TApplication::Title() const
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    std::string::size_type slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}
