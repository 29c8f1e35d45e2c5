#include "vcl/dialogs.h"

#include <windows.h>

#include "vcl/application.h"

void (*ShowMessage_Hook)(const std::string& text) = nullptr;

void ShowMessage(const std::string& text)
{
    if (ShowMessage_Hook) {
        ShowMessage_Hook(text);
        return;
    }
    HWND owner = Application ? Application->Main_Window() : nullptr;
    std::string title = Application ? Application->Title() : std::string();
    MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}
