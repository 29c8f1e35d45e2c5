#pragma once
// The skinned push button: a glossy blue gel with pressed, focused and
// disabled looks. A click runs OnClick, however it was made (mouse, space
// bar, BM_CLICK, or BN_CLICKED sent to the form); a disabled button runs nothing.
#include "vcl/controls.h"

class TTeButton : public TControl {
public:
    static constexpr const char* CLASS_NAME = "TTeButton";

    TTeButton(TForm* owner, const TControlDesc& desc);

    TNotifyEvent OnClick;
    void Click();

    void Command(WORD code) override;
    void Draw_Item(const DRAWITEMSTRUCT& item) override;
};
