#pragma once
// Progress bar with a 32-bit range, backed by the common progress control.
// Without a window (tests of the serial link) it keeps its values by itself;
// once bound to a control it drives and reads that control.
#include <windows.h>

#include "vcl/controls.h"

struct TProgressBarDesc {
    TControlDesc Control;
    int Min, Max;
};

class TProgressBar : public TControl {
public:
    TProgressBar() = default;
    TProgressBar(TForm* owner, const TProgressBarDesc& desc);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const;
    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);

    // Binds the bar to a created progress control and applies the values held so far.
    void Bind(HWND control);
    HWND Handle() const { return control_; }

private:
    HWND control_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};
