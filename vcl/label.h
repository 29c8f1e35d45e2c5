#pragma once
// A line of text on the form's background.
#include "vcl/controls.h"

class TLabel : public TControl {
public:
    TLabel(TForm* owner, const TControlDesc& desc);
    HBRUSH Control_Color(HDC dc) override;
};
