#pragma once
// The application object: start-up, the forms, the message loop and the
// message pump that the serial link calls to keep the window alive during an
// update.
#include <windows.h>

#include <new>
#include <string>

#include "vcl/forms.h"
#include "vcl/sysutils.h"

class TApplication {
public:
    void Initialize();

    // Creates a form the way the class library does: the reference is set
    // first, then the whole object is built, then its create event fires.
    // The first form created becomes the main form, which Run shows.
    template <class TFormClass>
    void CreateForm(TFormClass*& reference)
    {
        void* memory = ::operator new(sizeof(TFormClass));
        reference = static_cast<TFormClass*>(memory);
        try {
            new (memory) TFormClass();
        } catch (...) {
            reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        reference->Do_Create();
        if (!main_form_) main_form_ = reference;
    }

    // Dispatches every pending message of the thread, then returns.
    void ProcessMessages();
    // Shows the main form and runs the message loop until WM_QUIT.
    void Run();
    // Shows an exception's message in the standard error box.
    void ShowException(const Exception& e);

    TForm* Main_Form() const { return main_form_; }
    void Set_Main_Form(TForm* form) { main_form_ = form; }
    // The window that owns message boxes (none until the main form exists).
    HWND Main_Window() const { return main_form_ ? main_form_->Handle() : nullptr; }
    // The program's name, as message boxes show it in their caption.
    std::string Title() const;

    // Tests only: called at the start of every ProcessMessages.
    static void (*Pump_Hook)();

private:
    void Dispatch(MSG& msg);
    TForm* main_form_ = nullptr;
};

extern TApplication* Application;
