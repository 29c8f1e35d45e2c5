#include "vcl/label.h"

TLabel::TLabel(TForm* owner, const TControlDesc& desc) : TControl(owner, desc, "STATIC", SS_LEFT | SS_NOPREFIX) {}

HBRUSH TLabel::Control_Color(HDC dc)
{
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}
