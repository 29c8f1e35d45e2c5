#pragma once
// The skinned memo: a multi-line text box with a vertical scroll bar, framed
// in the skin's colours. Its whole text is read and written as one 8-bit string.
#include <string>

#include "vcl/controls.h"

enum TScrollStyle { ssNone, ssVertical };

struct TMemoDesc {
    TControlDesc Control;
    bool ReadOnly;
    TScrollStyle ScrollBars;
    const char* const* Lines; // the initial lines
    int Line_Count;
};

class TTeMemo : public TControl {
public:
    static constexpr const char* CLASS_NAME = "TTeMemo";

    TTeMemo(TForm* owner, const TMemoDesc& desc);

    // The lines separated by carriage return and line feed, as the control holds them.
    std::string Text() const;
    void SetText(const std::string& text);

    HBRUSH Control_Color(HDC dc) override;
};
