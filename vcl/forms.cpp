#include "vcl/forms.h"

#include <algorithm>

#include "vcl/application.h"

namespace {
void Register_Class(const TFormDesc& desc, WNDPROC proc)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, desc.ClassName, &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = desc.Icon ? LoadIconA(instance, desc.Icon) : nullptr;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = desc.ClassName;
    RegisterClassA(&wc);
}
} // namespace

TForm::TForm(const TFormDesc& desc) : TComponent(nullptr), desc_(desc)
{
    Register_Class(desc_, Window_Proc);
    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    if (desc_.BorderIcons & biSystemMenu) style |= WS_SYSMENU;
    if (desc_.BorderIcons & biMinimize) style |= WS_MINIMIZEBOX;
    if (desc_.BorderIcons & biMaximize) style |= WS_MAXIMIZEBOX;
    CreateWindowExA(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, desc_.ClassName, desc_.Caption, style, desc_.Left,
                    desc_.Top, desc_.ClientWidth, desc_.ClientHeight, nullptr, nullptr, GetModuleHandleA(nullptr),
                    this);
}

TForm::~TForm()
{
    while (!components_.empty()) delete components_.back(); // each removes itself
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void TForm::Insert_Component(TComponent* component) { components_.push_back(component); }

void TForm::Remove_Component(TComponent* component)
{
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

void TForm::Do_Create()
{
    if (OnCreate) OnCreate(this);
}

void TForm::Close()
{
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (Application->Main_Form() == this) PostQuitMessage(0);
    else ShowWindow(handle_, SW_HIDE);
}

void TForm::Show()
{
    ShowWindow(handle_, SW_SHOWNORMAL);
    SetForegroundWindow(handle_);
    HWND first = GetNextDlgTabItem(handle_, nullptr, FALSE);
    if (first) SetFocus(first);
    UpdateWindow(handle_);
}

void TForm::Set_Frame(TFormFrame* frame)
{
    frame_ = frame;
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Fit_Client_Size();
}

void TForm::Fit_Client_Size()
{
    RECT window, client;
    GetWindowRect(handle_, &window);
    GetClientRect(handle_, &client);
    int width = desc_.ClientWidth + (window.right - window.left) - client.right;
    int height = desc_.ClientHeight + (window.bottom - window.top) - client.bottom;
    SetWindowPos(handle_, nullptr, desc_.Left, desc_.Top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TForm::Window_Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        form->handle_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = 0;
    if (form->frame_ && form->frame_->Frame_Message(hwnd, msg, wp, lp, result)) return result;
    return form->Handle_Message(msg, wp, lp);
}

LRESULT TForm::Handle_Message(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        if (TControl* control = TControl::From_Handle(reinterpret_cast<HWND>(lp))) {
            control->Command(HIWORD(wp));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (TControl* control = TControl::From_Handle(item->hwndItem)) {
            control->Draw_Item(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (TControl* control = TControl::From_Handle(reinterpret_cast<HWND>(lp))) {
            if (HBRUSH brush = control->Control_Color(reinterpret_cast<HDC>(wp)))
                return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case WM_SIZE:
        for (TComponent* component : components_) {
            if (auto* control = dynamic_cast<TControl*>(component))
                control->Parent_Resized(LOWORD(lp), HIWORD(lp));
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) focused_ = GetFocus();
        break;
    case WM_SETFOCUS:
        if (focused_ && IsChild(handle_, focused_) && IsWindowEnabled(focused_)) SetFocus(focused_);
        else if (HWND first = GetNextDlgTabItem(handle_, nullptr, FALSE)) SetFocus(first);
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    }
    return DefWindowProcA(handle_, msg, wp, lp);
}
