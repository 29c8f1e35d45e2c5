#pragma once
// The skinned window frame: a caption bar with the title and the minimize
// and maximize lights, and a thin border, all drawn by us. There is no close
// box and no system menu; the caption still drags the window, and the close
// command (Alt+F4 included) still reaches the form's close event.
#include "vcl/forms.h"
#include "vcl/te_theme.h"

namespace aqua {
class Canvas;
}

class TTeForm : public TComponent, public TFormFrame {
public:
    // Frame sizes, in pixels around the client area.
    static constexpr int CAPTION_HEIGHT = 22;
    static constexpr int BORDER = 3;

    explicit TTeForm(TForm* owner);
    ~TTeForm() override;

    TTeThemeLink* ThemeLink = nullptr;

    bool Frame_Message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    enum Part { None, Minimize, Maximize };
    static RECT Light_Rect(Part part);
    Part Light_At(HWND hwnd, POINT screen) const;
    void Paint(HWND hwnd);
    void Paint_Light(aqua::Canvas& canvas, Part part) const;
    void Release(HWND hwnd, POINT screen);

    HFONT title_font_ = nullptr;
    bool active_ = true;
    Part pressed_ = None; // a light held down with the mouse
    bool down_ = false;   // the mouse is still over the light held down
};
