#include "vcl/progress_bar.h"

#include <commctrl.h>

static const char* Progress_Class()
{
    InitCommonControls(); // registers the progress control's class
    return PROGRESS_CLASSA;
}

TProgressBar::TProgressBar(TForm* owner, const TProgressBarDesc& desc)
    : TControl(owner, desc.Control, Progress_Class(), 0), min_(desc.Min), max_(desc.Max)
{
    SendMessageA(handle_, PBM_SETBARCOLOR, 0, RGB(0x2C, 0x6F, 0xCF)); // the blue of the skin's buttons
    Bind(handle_);
}

// Like the control, the bar keeps its position inside its range.
static int Clamp(int value, int lo, int hi)
{
    if (value > hi) value = hi;
    if (value < lo) value = lo;
    return value;
}

int TProgressBar::Position() const
{
    if (control_) return static_cast<int>(SendMessageA(control_, PBM_GETPOS, 0, 0));
    return position_;
}

void TProgressBar::SetMin(int value)
{
    min_ = value;
    if (control_) SendMessageA(control_, PBM_SETRANGE32, min_, max_);
    position_ = Clamp(position_, min_, max_);
}

void TProgressBar::SetMax(int value)
{
    max_ = value;
    if (control_) SendMessageA(control_, PBM_SETRANGE32, min_, max_);
    position_ = Clamp(position_, min_, max_);
}

void TProgressBar::SetPosition(int value)
{
    position_ = Clamp(value, min_, max_);
    if (control_) SendMessageA(control_, PBM_SETPOS, value, 0);
}

void TProgressBar::Bind(HWND control)
{
    control_ = control;
    SendMessageA(control_, PBM_SETRANGE32, min_, max_);
    SendMessageA(control_, PBM_SETPOS, position_, 0);
}
