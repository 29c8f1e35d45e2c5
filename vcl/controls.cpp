#include "vcl/controls.h"

#include "vcl/forms.h"

TComponent::TComponent(TForm* owner) : owner_(owner)
{
    if (owner_) owner_->Insert_Component(this);
}

TComponent::~TComponent()
{
    if (owner_) owner_->Remove_Component(this);
}

WNDPROC Register_Superclass(const char* system_class, const char* name, WNDPROC proc, UINT remove_class_style)
{
    WNDCLASSA wc{};
    GetClassInfoA(nullptr, system_class, &wc);
    WNDPROC base = wc.lpfnWndProc;
    wc.style &= ~remove_class_style;
    if (proc) wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return base;
}

namespace {
// The line height of the 8-point Western font at 96 DPI (its TextHeight):
// the smallest size in which Chinese Windows draws the associated Chinese font.
constexpr int ASSOCIATED_FONT_HEIGHT = 13;

// Smooth edges for outline fonts: Chinese characters of 12 or 13 pixels
// break up without them. Bitmap fonts stay as they are.
constexpr DWORD FONT_QUALITY = ANTIALIASED_QUALITY;

BYTE Ansi_Charset()
{
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info, TCI_SRCCODEPAGE))
        return DEFAULT_CHARSET;
    return static_cast<BYTE>(info.ciCharset);
}

int CALLBACK Font_Found(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// A font of the default character set whose face lacks the characters of a
// double-byte ANSI code page.
bool Needs_Font_Association(const TFontDesc& font)
{
    CPINFO cp{};
    if (font.Charset != DEFAULT_CHARSET || !GetCPInfo(CP_ACP, &cp) || cp.MaxCharSize < 2) return false;
    LOGFONTA wanted{};
    wanted.lfCharSet = Ansi_Charset();
    lstrcpynA(wanted.lfFaceName, font.Name, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &wanted, Font_Found, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return !found;
}
} // namespace

HFONT Create_Font(const TFontDesc& font, int size_delta)
{
    int height = font.Height;
    if (size_delta != 0) {
        // A size delta counts in points, as the font dialog does, at 96 pixels an inch.
        int points = MulDiv(height < 0 ? -height : height, 72, 96) + size_delta;
        height = -MulDiv(points, 96, 72);
    }
    BYTE charset = font.Charset;
    const char* name = font.Name;

    if (Needs_Font_Association(font)) {
        // Chinese editions of Windows draw the Chinese characters of a
        // Western font with their own Chinese font, in the height of the
        // Western font's line (font association). Wine does not: it would
        // shrink them to the Western font's letters. Ask for the Chinese
        // font in that height directly.
        charset = Ansi_Charset();
        name = "";
        if (height < 0 && height > -ASSOCIATED_FONT_HEIGHT) height = -ASSOCIATED_FONT_HEIGHT;
    }
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, FONT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name);
}

TControl::TControl(TForm* owner, const TControlDesc& desc, const char* window_class, DWORD style, DWORD ex_style)
    : TComponent(owner), anchors_(desc.Anchors)
{
    handle_ = CreateWindowExA(ex_style, window_class, desc.Caption, WS_CHILD | WS_VISIBLE | style, desc.Left,
                              desc.Top, desc.Width, desc.Height, owner->Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(owner->Next_Control_Id())),
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    font_ = Create_Font(desc.Font ? *desc.Font : owner->Font(), desc.FontSizeDelta);
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    RECT client;
    GetClientRect(owner->Handle(), &client);
    margins_ = {desc.Left, desc.Top, client.right - (desc.Left + desc.Width), client.bottom - (desc.Top + desc.Height)};
}

TControl::~TControl()
{
    if (handle_ && IsWindow(handle_)) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
    if (font_) DeleteObject(font_);
}

TControl* TControl::From_Handle(HWND hwnd)
{
    return hwnd ? reinterpret_cast<TControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

bool TControl::Enabled() const { return handle_ && IsWindowEnabled(handle_); }

void TControl::SetEnabled(bool value)
{
    if (handle_) EnableWindow(handle_, value ? TRUE : FALSE);
}

void TControl::Parent_Resized(int client_width, int client_height)
{
    if (!handle_ || (anchors_ & (akRight | akBottom)) == 0) return;
    RECT r;
    GetWindowRect(handle_, &r);
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
    if (anchors_ & akRight) {
        if (anchors_ & akLeft) r.right = client_width - margins_.right;
        else OffsetRect(&r, client_width - margins_.right - r.right, 0);
    }
    if (anchors_ & akBottom) {
        if (anchors_ & akTop) r.bottom = client_height - margins_.bottom;
        else OffsetRect(&r, 0, client_height - margins_.bottom - r.bottom);
    }
    SetWindowPos(handle_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
