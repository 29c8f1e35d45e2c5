// The device search under Wine against simulated handsets: real registry
// values, real ports on ptys, the real boot loader exchange.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/comport.h"
#include "sim_handset.h"
#include "spy_win.h"
#include "vcl/dialogs.h"
#include "vcl/progress_bar.h"

namespace {

class SimSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ShowMessage_Hook = [](const std::string& text) { ADD_FAILURE() << "message box: " << text; };
        com.Set_ProgressBar(&bar);
    }
    void TearDown() override
    {
        com.Close_Port();
        ShowMessage_Hook = nullptr;
    }
    // Searches, and checks the handset was found and its port left open and live.
    void Find(uint16_t expected, uint8_t national)
    {
        uint16_t port = 0;
        ASSERT_TRUE(com.Find_Device_Port(port));
        EXPECT_EQ(port, expected);
        ASSERT_NE(com.Com_Handle, INVALID_HANDLE_VALUE);
        uint8_t code = 0;
        EXPECT_TRUE(com.Get_National_Code(code)) << "the port that answered is still open";
        EXPECT_EQ(code, national);
        com.Close_Port();
    }
    static void Stop_Clean(SimHandset& sim)
    {
        ASSERT_TRUE(sim.Stop()) << sim.Error();
        EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    }

    SpyWin spy;
    TProgressBar bar;
    CComport com;
};

TEST_F(SimSearch, AHandsetPluggedInLaterIsFoundInTheFirstPassThatListsIt)
{
    SimHandset sim({"--port", "8", "--register", "--plug-after", "1500", "--national", "0x5A"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    Find(8, 0x5A);
    Stop_Clean(sim);

    const int listed = spy.First_Listing("COM8");
    ASSERT_GT(listed, 0);
    EXPECT_EQ(static_cast<int>(spy.passes.size()), listed) << "found in the pass that first listed it";
    EXPECT_GE(listed, 5) << "the handset came only after some passes";
    for (int i = 0; i < listed - 1; ++i) EXPECT_TRUE(spy.passes[i].listed.empty()) << "pass " << i + 1;
    EXPECT_EQ(spy.Opened(), std::vector<std::string>{"\\\\.\\COM8"});
    const auto sync = sim.Events("sync");
    ASSERT_EQ(sync.size(), 1u);
    EXPECT_EQ(SimHandset::Field(sync[0], "count"), "50");
}

TEST_F(SimSearch, OfTwoAnsweringPortsTheLowerIsTakenAndTheOtherNeverOpened)
{
    SimHandset high({"--port", "9", "--register", "--national", "0x01"});
    SimHandset low({"--port", "5", "--register", "--national", "0x02"});
    ASSERT_TRUE(high.Started()) << high.Error();
    ASSERT_TRUE(low.Started()) << low.Error();
    Find(5, 0x02);
    Stop_Clean(low);
    Stop_Clean(high);
    EXPECT_EQ(spy.passes.size(), 1u);
    EXPECT_EQ(spy.Opened(), std::vector<std::string>{"\\\\.\\COM5"});
    EXPECT_TRUE(high.Events("sync").empty());
}

TEST_F(SimSearch, ASilentPortCostsTheFirstEchoAndIsClosedBeforeTheNextIsTried)
{
    SimHandset silent({"--port", "5", "--register", "--silent"});
    SimHandset handset({"--port", "6", "--register", "--national", "0x00"});
    ASSERT_TRUE(silent.Started()) << silent.Error();
    ASSERT_TRUE(handset.Started()) << handset.Error();
    Find(6, 0x00);
    Stop_Clean(handset);
    Stop_Clean(silent);

    const auto& e = spy.port_events;
    ASSERT_GE(e.size(), 3u);
    EXPECT_TRUE(e[0].open && e[0].path == "\\\\.\\COM5");
    EXPECT_TRUE(!e[1].open && e[1].path == "\\\\.\\COM5") << "closed before COM6 is opened";
    EXPECT_TRUE(e[2].open && e[2].path == "\\\\.\\COM6");
    const DWORD held = e[1].ms - e[0].ms; // 100 ms of settling, 3000 ms for the echo
    EXPECT_GE(held, 2900u);
    EXPECT_LE(held, 6000u);
    EXPECT_EQ(spy.passes.size(), 1u);
}

TEST_F(SimSearch, TheSearchNeverGivesUpForLackOfAnAnswer)
{
    // Thirty-nine passes with nothing listed; as the fortieth reads the list
    // the test plugs a handset in.
    std::unique_ptr<SimHandset> sim;
    spy.on_pass = [&] {
        if (spy.passes.size() == 40) sim = std::make_unique<SimHandset>(std::vector<std::string>{
                                           "--port", "11", "--register", "--national", "0x77"});
    };
    Find(11, 0x77);
    ASSERT_TRUE(sim && sim->Started()) << (sim ? sim->Error() : "");
    Stop_Clean(*sim);

    ASSERT_EQ(spy.passes.size(), 40u);
    for (size_t i = 0; i < 39; ++i) ASSERT_TRUE(spy.passes[i].listed.empty()) << "pass " << i + 1;
    // At least the 100 ms pause a pass, and a step of the bar each.
    EXPECT_GE(spy.passes[39].start_ms - spy.passes[0].start_ms, 39u * 95);
    EXPECT_EQ(bar.Position(), 40);
}

} // namespace
