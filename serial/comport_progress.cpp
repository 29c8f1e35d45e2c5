#include <cstdint>

#include "serial/comport.h"
#include "vcl/progress_bar.h"

bool CComport::Set_ProgressBar(TProgressBar* bar)
{
    if (Progress_Bar != nullptr) return false;
    Progress_Bar = bar;
    return true;
}

bool CComport::Progress_Begin(int32_t maximum)
{
    if (Progress_Bar == nullptr) return true;
    Progress_Bar->SetMin(0);
    Progress_Bar->SetMax(maximum);
    Progress_Bar->SetPosition(0);
    return true;
}

bool CComport::Progress_Step(int32_t amount)
{
    if (Progress_Bar == nullptr) return true;
    // Summed wide so that no amount can overflow; the bar clamps to its range.
    int64_t position = int64_t{Progress_Bar->Position()} + amount;
    if (position > INT32_MAX) position = INT32_MAX;
    if (position < INT32_MIN) position = INT32_MIN;
    Progress_Bar->SetPosition(static_cast<int>(position));
    // The bar never rests at its maximum: the step that reaches it starts it over.
    if (Progress_Bar->Position() >= Progress_Bar->Max()) {
        Progress_Bar->SetPosition(0);
        return false;
    }
    return true;
}
