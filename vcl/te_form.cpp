#include "vcl/te_form.h"

#include "vcl/aqua_paint.h"

namespace {
constexpr float LIGHT_SIZE = 13;
constexpr float LIGHT_LEFT = 8;
constexpr float LIGHT_GAP = 7;

// Pinstriped grey bar, dark outline; paler and flat when the window is inactive.
struct Frame_Colors {
    aqua::Rgb caption_top, caption_bottom, stripe, outline, side, separator, title;
};
constexpr Frame_Colors ACTIVE{aqua::Hex(0xF2F2F2), aqua::Hex(0xC6C6C6), aqua::Hex(0x000000), aqua::Hex(0x5E5E5E),
                              aqua::Hex(0xD4D4D4), aqua::Hex(0x8A8A8A), aqua::Hex(0x202020)};
constexpr Frame_Colors INACTIVE{aqua::Hex(0xF6F6F6), aqua::Hex(0xE2E2E2), aqua::Hex(0x000000), aqua::Hex(0x9C9C9C),
                                aqua::Hex(0xE6E6E6), aqua::Hex(0xB4B4B4), aqua::Hex(0x8C8C8C)};

constexpr aqua::Gel YELLOW{aqua::Hex(0xA8770C), aqua::Hex(0xD98E0A), aqua::Hex(0xF0AE1A), aqua::Hex(0xFFE98A), 0.8f};
constexpr aqua::Gel GREEN{aqua::Hex(0x2C7620), aqua::Hex(0x2F9421), aqua::Hex(0x45B332), aqua::Hex(0xB8F29A), 0.8f};
constexpr aqua::Gel GREY{aqua::Hex(0x9A9A9A), aqua::Hex(0xB0B0B0), aqua::Hex(0xBDBDBD), aqua::Hex(0xEAEAEA), 0.7f};

aqua::Gel Pressed(aqua::Gel gel)
{
    const aqua::Rgb black{0, 0, 0};
    return {aqua::Mix(gel.rim, black, 0.2f), aqua::Mix(gel.top, black, 0.3f), aqua::Mix(gel.middle, black, 0.3f),
            aqua::Mix(gel.bottom, black, 0.3f), gel.gloss * 0.6f};
}

POINT To_Window(HWND hwnd, POINT screen)
{
    RECT w;
    GetWindowRect(hwnd, &w);
    return {screen.x - w.left, screen.y - w.top};
}
} // namespace

TTeForm::TTeForm(TForm* owner) : TComponent(owner)
{
    // The title is Chinese: the system's Big5 font, in the memo's 13 pixels.
    title_font_ = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, CHINESEBIG5_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "");
    owner->Set_Frame(this);
}

TTeForm::~TTeForm()
{
    if (Owner()) Owner()->Set_Frame(nullptr);
    DeleteObject(title_font_);
}

RECT TTeForm::Light_Rect(Part part)
{
    int left = int(LIGHT_LEFT + (part == Maximize ? LIGHT_SIZE + LIGHT_GAP : 0));
    int top = int((CAPTION_HEIGHT - LIGHT_SIZE) / 2);
    return {left, top, left + int(LIGHT_SIZE), top + int(LIGHT_SIZE)};
}

TTeForm::Part TTeForm::Light_At(HWND hwnd, POINT screen) const
{
    POINT p = To_Window(hwnd, screen);
    for (Part part : {Minimize, Maximize}) {
        RECT r = Light_Rect(part);
        InflateRect(&r, 1, 2); // a little slack around the small targets
        if (PtInRect(&r, p)) return part;
    }
    return None;
}

void TTeForm::Paint_Light(aqua::Canvas& canvas, Part part) const
{
    RECT r = Light_Rect(part);
    aqua::Gel gel = !active_ ? GREY : part == Minimize ? YELLOW : GREEN;
    if (pressed_ == part && down_) gel = Pressed(gel);
    aqua::Paint_Gel(canvas, float(r.left), float(r.top), float(r.right), float(r.bottom), LIGHT_SIZE / 2, gel);
    // A small glyph says what the light does: a bar to minimize, a cross to maximize.
    float cx = (r.left + r.right) / 2.0f, cy = (r.top + r.bottom) / 2.0f;
    aqua::Rgb ink = active_ ? aqua::Mix(gel.rim, aqua::Hex(0), 0.55f) : aqua::Hex(0x7A7A7A);
    aqua::Paint_Shape(canvas, cx - 3.5f, cy - 0.75f, cx + 3.5f, cy + 0.75f, 0.5f, ink, 0.75f);
    if (part == Maximize) {
        aqua::Paint_Shape(canvas, cx - 0.75f, cy - 3.5f, cx + 0.75f, cy - 0.75f, 0.5f, ink, 0.75f);
        aqua::Paint_Shape(canvas, cx - 0.75f, cy + 0.75f, cx + 0.75f, cy + 3.5f, 0.5f, ink, 0.75f);
    }
}

void TTeForm::Paint(HWND hwnd)
{
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    const int width = window.right - window.left, height = window.bottom - window.top;
    const Frame_Colors& c = active_ ? ACTIVE : INACTIVE;

    HDC dc = GetWindowDC(hwnd);
    aqua::Canvas canvas(dc, width, height);
    canvas.Fill(c.outline);
    canvas.Fill_Rect(1, CAPTION_HEIGHT, width - 1, height - 1, c.side);
    for (int y = 1; y < CAPTION_HEIGHT - 1; ++y) {
        aqua::Rgb row = aqua::Mix(c.caption_top, c.caption_bottom, float(y - 1) / (CAPTION_HEIGHT - 3));
        if (y % 2 == 0) row = aqua::Mix(row, c.stripe, 0.035f);
        canvas.Fill_Rect(1, y, width - 1, y + 1, row);
    }
    canvas.Fill_Rect(1, CAPTION_HEIGHT - 1, width - 1, CAPTION_HEIGHT, c.separator);
    Paint_Light(canvas, Minimize);
    Paint_Light(canvas, Maximize);

    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    canvas.Copy_To(dc, 0, 0);
    // The title last, over the frame just copied to the screen.
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    RECT text{Light_Rect(Maximize).right + 8, 0, width - (Light_Rect(Maximize).right + 8), CAPTION_HEIGHT - 1};
    HGDIOBJ old_font = SelectObject(dc, title_font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(int(c.title.r), int(c.title.g), int(c.title.b)));
    DrawTextA(dc, title, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old_font);
    ReleaseDC(hwnd, dc);
}

void TTeForm::Release(HWND hwnd, POINT screen)
{
    Part part = pressed_;
    bool over = Light_At(hwnd, screen) == part;
    pressed_ = None;
    down_ = false;
    ReleaseCapture();
    Paint(hwnd);
    if (!over) return;
    WPARAM command = part == Minimize ? SC_MINIMIZE : IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
    SendMessageA(hwnd, WM_SYSCOMMAND, command, 0);
}

bool TTeForm::Frame_Message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    POINT cursor{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_NCCALCSIZE: {
        RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
        r->left += BORDER;
        r->top += CAPTION_HEIGHT;
        r->right -= BORDER;
        r->bottom -= BORDER;
        result = 0;
        return true;
    }
    case WM_NCPAINT:
        Paint(hwnd);
        result = 0;
        return true;
    case WM_NCACTIVATE:
        active_ = wp != FALSE;
        Paint(hwnd);
        result = TRUE;
        return true;
    case WM_SETTEXT:
        result = DefWindowProcA(hwnd, msg, wp, lp);
        Paint(hwnd);
        return true;
    case WM_NCHITTEST: {
        Part part = Light_At(hwnd, cursor);
        if (part != None) result = part == Minimize ? HTMINBUTTON : HTMAXBUTTON;
        else if (To_Window(hwnd, cursor).y < CAPTION_HEIGHT) result = HTCAPTION;
        else {
            RECT client;
            GetClientRect(hwnd, &client);
            MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
            result = PtInRect(&client, cursor) ? HTCLIENT : HTBORDER;
        }
        return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // The system would draw its own buttons over ours: the lights are tracked here.
        if (wp != HTMINBUTTON && wp != HTMAXBUTTON) return false;
        pressed_ = wp == HTMINBUTTON ? Minimize : Maximize;
        down_ = true;
        SetCapture(hwnd);
        Paint(hwnd);
        result = 0;
        return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        if (pressed_ == None) return false;
        ClientToScreen(hwnd, &cursor);
        if (msg == WM_LBUTTONUP) {
            Release(hwnd, cursor);
        } else if (bool over = Light_At(hwnd, cursor) == pressed_; over != down_) {
            down_ = over;
            Paint(hwnd);
        }
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ != None) {
            pressed_ = None;
            down_ = false;
            Paint(hwnd);
        }
        return false;
    case WM_CONTEXTMENU:
    case WM_NCRBUTTONUP:
        // No system menu: a right click on the frame does nothing.
        if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wp) != hwnd) return false;
        result = 0;
        return true;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_KEYMENU && lp == ' ') { // Alt+Space opens no system menu
            result = 0;
            return true;
        }
        return false;
    }
    return false;
}
