// The progress bar binding of CComport.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "serial/comport.h"
#include "vcl/progress_bar.h"

namespace {

TEST(Progress, TheFirstBarAttachedStays)
{
    CComport port;
    TProgressBar first, second;
    EXPECT_TRUE(port.Set_ProgressBar(&first));
    EXPECT_FALSE(port.Set_ProgressBar(&second));
    EXPECT_EQ(port.Progress_Bar, &first);
}

TEST(Progress, WithoutABarBeginAndStepChangeNothingAndSucceed)
{
    CComport port;
    EXPECT_TRUE(port.Progress_Begin(100));
    EXPECT_TRUE(port.Progress_Step(100));
    EXPECT_TRUE(port.Progress_Step(-5));
    EXPECT_EQ(port.Progress_Bar, nullptr);
}

TEST(Progress, BeginStartsTheBarFromZero)
{
    CComport port;
    TProgressBar bar;
    bar.SetMax(50);
    bar.SetMin(5);
    bar.SetPosition(20);
    port.Set_ProgressBar(&bar);
    EXPECT_TRUE(port.Progress_Begin(9000));
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 9000);
    EXPECT_EQ(bar.Position(), 0);
}

struct StepCase {
    const char* name;
    int maximum;
    std::vector<int> steps;
    std::vector<bool> results;
    std::vector<int> positions;
};

const StepCase STEP_CASES[] = {
    {"reaching the maximum resets", 100, {40, 40, 40}, {true, true, false}, {40, 80, 0}},
    {"empty range resets at once", 0, {0}, {false}, {0}},
    {"blocks and tail of an image", 9000, {4000, 4000, 1000}, {true, true, false}, {4000, 8000, 0}},
    {"overshoot resets", 100, {150}, {false}, {0}},
    {"after a reset it counts again", 100, {100, 30}, {false, true}, {0, 30}},
};

TEST(Progress, StepAddsAndNeverRestsAtTheMaximum)
{
    for (const StepCase& c : STEP_CASES) {
        SCOPED_TRACE(c.name);
        CComport port;
        TProgressBar bar;
        port.Set_ProgressBar(&bar);
        port.Progress_Begin(c.maximum);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            EXPECT_EQ(port.Progress_Step(c.steps[i]), c.results[i]) << "step " << i;
            EXPECT_EQ(bar.Position(), c.positions[i]) << "step " << i;
        }
    }
}

// The bar counts image bytes, so the window's control must take a 32-bit range.
TEST(Progress, DrivesARealControlOverA16MiBRange)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    HWND control = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    TProgressBar bar;
    bar.Bind(control);
    CComport port;
    port.Set_ProgressBar(&bar);

    port.Progress_Begin(16777216);
    EXPECT_TRUE(port.Progress_Step(12000000));
    EXPECT_EQ(bar.Position(), 12000000);
    EXPECT_FALSE(port.Progress_Step(4777216));
    EXPECT_EQ(bar.Position(), 0);
    DestroyWindow(control);
}

} // namespace
