#pragma once
// Components and windowed controls: ownership by the form, the settings each
// control takes from the window description, fonts and anchors.
#include <windows.h>

#include <functional>

class TForm;
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A component is owned by its form and destroyed with it.
class TComponent : public TObject {
public:
    explicit TComponent(TForm* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    TForm* Owner() const { return owner_; }

private:
    TForm* owner_;
};

enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TFontDesc {
    const char* Name;  // 8-bit face name, code page 950
    BYTE Charset;
    int Height;        // pixels; negative: the height of the characters
};

// What the window description gives every control.
struct TControlDesc {
    int Left, Top, Width, Height;
    const char* Caption = "";
    const TFontDesc* Font = nullptr; // null: the form's font (ParentFont)
    int FontSizeDelta = 0;           // points added to the font's size
    int Anchors = akLeft | akTop;
};

// Registers a class that is a system control under a name of its own (so that
// tools find the control by its class) and returns the system control's
// procedure, which the new class's procedure (if any: null keeps the system
// one) hands every message it leaves.
WNDPROC Register_Superclass(const char* system_class, const char* name, WNDPROC proc, UINT remove_class_style = 0);

// Creates the font a control shows; the caller deletes it. Under a Chinese
// ANSI code page a Western face of the default character set is replaced by
// the system's Chinese font (see Needs_Font_Association).
HFONT Create_Font(const TFontDesc& font, int size_delta = 0);

// A control with a window of its own, a child of the form's window.
class TControl : public TComponent {
public:
    ~TControl() override;
    HWND Handle() const { return handle_; }
    bool Enabled() const;
    void SetEnabled(bool value);

    // The form hands its child's notifications and drawing requests here.
    virtual void Command(WORD /*code*/) {}
    virtual void Draw_Item(const DRAWITEMSTRUCT& /*item*/) {}
    // Colours for a control the system draws; a null brush keeps the default.
    virtual HBRUSH Control_Color(HDC /*dc*/) { return nullptr; }
    // Keeps the anchored edges at their distance from the form's edges.
    void Parent_Resized(int client_width, int client_height);

    static TControl* From_Handle(HWND hwnd);

protected:
    // Without an owner (tests of the classes that only hold values) no window exists.
    TControl() : TComponent(nullptr) {}
    TControl(TForm* owner, const TControlDesc& desc, const char* window_class, DWORD style, DWORD ex_style = 0);
    HWND handle_ = nullptr;

private:
    HFONT font_ = nullptr;
    int anchors_ = akLeft | akTop;
    RECT margins_{};       // distances to the parent's edges at creation
};
