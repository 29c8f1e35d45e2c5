#include "vcl/te_memo.h"

#include <vector>

namespace {
WNDPROC g_edit_proc = nullptr;

// The two-pixel edge: a blue-grey line outside, a pale blue one inside.
void Paint_Edge(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(hwnd);
    HBRUSH outer = CreateSolidBrush(RGB(0x6F, 0x8C, 0xB0));
    HBRUSH inner = CreateSolidBrush(RGB(0xD5, 0xE3, 0xF4));
    FrameRect(dc, &r, outer);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, inner);
    DeleteObject(outer);
    DeleteObject(inner);
    ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK Memo_Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = CallWindowProcA(g_edit_proc, hwnd, msg, wp, lp);
    if (msg == WM_NCPAINT || msg == WM_ENABLE) Paint_Edge(hwnd);
    return result;
}

const char* Memo_Class()
{
    if (!g_edit_proc) g_edit_proc = Register_Superclass("EDIT", TTeMemo::CLASS_NAME, Memo_Proc);
    return TTeMemo::CLASS_NAME;
}
} // namespace

TTeMemo::TTeMemo(TForm* owner, const TMemoDesc& desc)
    : TControl(owner, desc.Control, Memo_Class(),
               WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | (desc.ScrollBars == ssVertical ? WS_VSCROLL : 0),
               WS_EX_CLIENTEDGE)
{
    SendMessageA(handle_, EM_SETLIMITTEXT, 0, 0); // no limit on the log's length
    SendMessageA(handle_, EM_SETREADONLY, desc.ReadOnly ? TRUE : FALSE, 0);
    std::string text;
    for (int i = 0; i < desc.Line_Count; ++i) text += std::string(desc.Lines[i]) + "\r\n";
    SetText(text);
}

std::string TTeMemo::Text() const
{
    int length = GetWindowTextLengthA(handle_);
    std::vector<char> buffer(length + 1);
    int read = GetWindowTextA(handle_, buffer.data(), length + 1);
    return std::string(buffer.data(), read > 0 ? read : 0);
}

void TTeMemo::SetText(const std::string& text) { SetWindowTextA(handle_, text.c_str()); }

HBRUSH TTeMemo::Control_Color(HDC dc)
{
    // A read-only edit control asks for the dialog colour; the memo stays white.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}
