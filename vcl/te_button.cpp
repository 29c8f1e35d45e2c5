#include "vcl/te_button.h"

#include <algorithm>

#include "vcl/aqua_paint.h"

namespace {
bool g_registered = false;

// Without double clicks in its class an owner-drawn button takes a quick
// second click as a click, as a push button does, not as BN_DOUBLECLICKED.
const char* Button_Class()
{
    if (!g_registered) Register_Superclass("BUTTON", TTeButton::CLASS_NAME, nullptr, CS_DBLCLKS);
    g_registered = true;
    return TTeButton::CLASS_NAME;
}

constexpr aqua::Gel NORMAL{aqua::Hex(0x1C4C94), aqua::Hex(0x4B93E6), aqua::Hex(0x2C6FCF), aqua::Hex(0xA4DCFF), 0.8f};
constexpr aqua::Gel PRESSED{aqua::Hex(0x123A78), aqua::Hex(0x2F6CC0), aqua::Hex(0x1A4EA3), aqua::Hex(0x6FB2EE), 0.5f};
constexpr aqua::Gel DISABLED{aqua::Hex(0xA3B2C4), aqua::Hex(0xDCE4EE), aqua::Hex(0xCBD6E2), aqua::Hex(0xEEF3F8), 0.6f};
constexpr aqua::Rgb FOCUS_GLOW = aqua::Hex(0x3F8EF5);
constexpr float MARGIN = 3.0f; // room for the focus glow
} // namespace

TTeButton::TTeButton(TForm* owner, const TControlDesc& desc)
    : TControl(owner, desc, Button_Class(), WS_TABSTOP | BS_OWNERDRAW)
{
}

void TTeButton::Click()
{
    if (Enabled() && OnClick) OnClick(this);
}

void TTeButton::Command(WORD code)
{
    if (code == BN_CLICKED) Click();
}

void TTeButton::Draw_Item(const DRAWITEMSTRUCT& item)
{
    const RECT& r = item.rcItem;
    const int width = r.right - r.left, height = r.bottom - r.top;
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool pressed = (item.itemState & ODS_SELECTED) && !disabled;
    const bool focused = (item.itemState & ODS_FOCUS) && !disabled;

    aqua::Canvas canvas(item.hDC, width, height);
    canvas.Fill(aqua::From_Colorref(GetSysColor(COLOR_BTNFACE)));
    float left = MARGIN, top = MARGIN, right = width - MARGIN, bottom = height - MARGIN;
    float radius = std::min((bottom - top) / 2, 16.0f);
    if (focused) aqua::Paint_Glow(canvas, left, top, right, bottom, radius, FOCUS_GLOW, 3.0f);
    aqua::Paint_Gel(canvas, left, top, right, bottom, radius, disabled ? DISABLED : pressed ? PRESSED : NORMAL);

    char caption[128] = {};
    GetWindowTextA(item.hwndItem, caption, sizeof caption);
    HDC dc = canvas.Dc();
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    RECT text{0, 0, width, height};
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (disabled) {
        SetTextColor(dc, RGB(0x8A, 0x97, 0xA6));
    } else {
        // White letters over a dark blue shadow stay readable on every part of the gel.
        OffsetRect(&text, 0, 1);
        SetTextColor(dc, RGB(0x0E, 0x34, 0x70));
        DrawTextA(dc, caption, -1, &text, format);
        OffsetRect(&text, 0, -1);
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    }
    DrawTextA(dc, caption, -1, &text, format);
    SelectObject(dc, old_font);
    canvas.Copy_To(item.hDC, r.left, r.top);
}
