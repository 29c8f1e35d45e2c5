#pragma once
// The form: a top-level window that owns its components, fires its create
// and close events, and hands its children's notifications to them.
#include <windows.h>

#include <functional>
#include <vector>

#include "vcl/controls.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// What the window description gives the form itself.
struct TFormDesc {
    const char* ClassName; // the window class, named after the form's class
    const char* Caption;   // 8-bit, code page 950
    int Left, Top;         // screen position of the window
    int ClientWidth, ClientHeight;
    int BorderIcons;
    TFontDesc Font;        // the font of the controls with ParentFont
    const char* Icon;      // resource name of the window icon
};

// Draws a window frame of its own; the form asks it first about every message.
class TFormFrame {
public:
    virtual ~TFormFrame() = default;
    virtual bool Frame_Message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
};

class TForm : public TComponent {
public:
    // Creates the window, hidden; the derived form then creates its controls.
    explicit TForm(const TFormDesc& desc);
    ~TForm() override;

    HWND Handle() const { return handle_; }
    const TFontDesc& Font() const { return desc_.Font; }

    TNotifyEvent OnCreate;
    TCloseEvent OnClose;

    // Runs the close event; closing the main form ends the message loop.
    void Close();
    void Show();
    // The class library fires the create event once the whole object is built.
    void Do_Create();

    // A frame drawn by a skin; null gives the window no frame at all.
    void Set_Frame(TFormFrame* frame);

    void Insert_Component(TComponent* component);
    void Remove_Component(TComponent* component);
    int Next_Control_Id() { return next_control_id_++; }

private:
    static LRESULT CALLBACK Window_Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle_Message(UINT msg, WPARAM wp, LPARAM lp);
    // Sizes the window so that its client area keeps the described size.
    void Fit_Client_Size();

    TFormDesc desc_;
    HWND handle_ = nullptr;
    HWND focused_ = nullptr;
    TFormFrame* frame_ = nullptr;
    std::vector<TComponent*> components_;
    int next_control_id_ = 100;
};
