#include "tools/ui_driver/ui_driver.h"

#include <cstring>

namespace ui_driver {
namespace {

bool Has_Class(HWND hwnd, const char* name)
{
    char class_name[64] = {};
    GetClassNameA(hwnd, class_name, sizeof class_name);
    return std::strcmp(class_name, name) == 0;
}

bool Of_Process(HWND hwnd, DWORD pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return pid == 0 || owner == pid;
}

struct Top_Search {
    const char* class_name;
    DWORD pid;
    bool visible_only;
    HWND found;
};

BOOL CALLBACK Match_Top(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Top_Search*>(param);
    if (!Has_Class(hwnd, search->class_name) || !Of_Process(hwnd, search->pid)) return TRUE;
    if (search->visible_only && !IsWindowVisible(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND Find_Top(const char* class_name, DWORD pid, bool visible_only)
{
    Top_Search search{class_name, pid, visible_only, nullptr};
    EnumWindows(Match_Top, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <class Probe>
auto Wait_For(DWORD timeout_ms, Probe probe) -> decltype(probe())
{
    DWORD start = GetTickCount();
    for (;;) {
        if (auto result = probe()) return result;
        if (GetTickCount() - start >= timeout_ms) return probe();
        Sleep(20);
    }
}

std::vector<HWND> Children_Of_Class(HWND parent, const char* class_name)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (Has_Class(child, class_name)) found.push_back(child);
    return found;
}

} // namespace

HWND Main_Window(DWORD pid) { return Find_Top(MAIN_WINDOW_CLASS, pid, false); }

HWND Wait_Main_Window(DWORD pid, DWORD timeout_ms)
{
    return Wait_For(timeout_ms, [&] { return Find_Top(MAIN_WINDOW_CLASS, pid, true); });
}

HWND Message_Box(DWORD pid) { return Find_Top(MESSAGE_BOX_CLASS, pid, true); }

HWND Wait_Message_Box(DWORD pid, DWORD timeout_ms)
{
    return Wait_For(timeout_ms, [&] { return Message_Box(pid); });
}

bool Wait_Gone(HWND hwnd, DWORD timeout_ms)
{
    return Wait_For(timeout_ms, [&] { return !IsWindow(hwnd); });
}

bool Read_Text(HWND hwnd, std::string& text)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &length)) return false;
    std::vector<char> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &copied))
        return false;
    text.assign(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
    return true;
}

bool Read_Memo(HWND form, std::string& text)
{
    std::vector<HWND> memos = Children_Of_Class(form, MEMO_CLASS);
    return !memos.empty() && Read_Text(memos.front(), text);
}

bool Wait_Memo_Contains(HWND form, const std::string& part, DWORD timeout_ms)
{
    return Wait_For(timeout_ms, [&] {
        std::string text;
        return Read_Memo(form, text) && text.find(part) != std::string::npos;
    });
}

HWND Find_Button(HWND form, const std::string& caption)
{
    for (HWND button : Children_Of_Class(form, BUTTON_CLASS)) {
        std::string text;
        if (Read_Text(button, text) && text == caption) return button;
    }
    return nullptr;
}

bool Click_Button(HWND form, const std::string& caption)
{
    HWND button = Find_Button(form, caption);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool Button_Enabled(HWND form, const std::string& caption, bool& enabled)
{
    HWND button = Find_Button(form, caption);
    if (!button) return false;
    enabled = IsWindowEnabled(button) != FALSE;
    return true;
}

std::vector<std::string> Button_Captions(HWND form)
{
    std::vector<std::string> captions;
    for (HWND button : Children_Of_Class(form, BUTTON_CLASS)) {
        std::string text;
        if (Read_Text(button, text)) captions.push_back(text);
    }
    return captions;
}

bool Read_Message_Box(HWND box, std::string& text)
{
    // The text is the static control with the id 0xFFFF; the icon is a static too.
    if (HWND label = GetDlgItem(box, 0xFFFF)) return Read_Text(label, text);
    for (HWND child : Children_Of_Class(box, "Static")) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        if (Read_Text(child, text) && !text.empty()) return true;
    }
    return false;
}

bool Press_Ok(HWND box)
{
    HWND ok = GetDlgItem(box, IDOK);
    return ok && PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

bool Geometry(HWND hwnd, Window_Geometry& geometry)
{
    RECT client;
    POINT origin{0, 0};
    if (!GetWindowRect(hwnd, &geometry.window) || !GetClientRect(hwnd, &client) || !ClientToScreen(hwnd, &origin))
        return false;
    geometry.client_origin = origin;
    geometry.client_size = {client.right, client.bottom};
    return true;
}

std::string Ansi_To_Utf8(const std::string& text)
{
    if (text.empty()) return text;
    int wide_length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(wide_length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), wide_length);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

} // namespace ui_driver
