// The device search against a scripted registry and scripted ports, some with
// a boot loader behind them.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "discovery/enum_ports.h"
#include "fake_win.h"
#include "serial/comport.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/progress_bar.h"

namespace {

using Ports = std::vector<uint16_t>;

FakePort Loader()
{
    FakePort p;
    p.boot_loader = true;
    return p;
}
FakePort Silent() { return FakePort{}; }

// The fake seam plus the hooks through which the search shows itself: the
// message pump and the message box.
class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        current_ = this;
        TApplication::Pump_Hook = [] {
            current_->win.log.push_back("pump");
            current_->pump_positions.push_back(current_->bar.Position());
        };
        ShowMessage_Hook = [](const std::string& text) { current_->messages.push_back(text); };
        com.Set_ProgressBar(&bar);
    }
    void TearDown() override
    {
        TApplication::Pump_Hook = nullptr;
        ShowMessage_Hook = nullptr;
        com.Close_Port();
    }
    // The log from the n-th walk (1-based) up to the next one.
    std::vector<std::string> Pass(int n) const
    {
        std::vector<std::string> pass;
        int walk = 0;
        for (const std::string& entry : win.log) {
            if (entry == "walk") ++walk;
            if (walk == n) pass.push_back(entry);
        }
        return pass;
    }
    std::vector<std::string> Tries() const // the passes and the ports opened and closed in them
    {
        std::vector<std::string> tries;
        for (const std::string& entry : win.log)
            if (entry == "walk" || entry.rfind("open ", 0) == 0 || entry.rfind("fail ", 0) == 0 ||
                entry.rfind("close ", 0) == 0)
                tries.push_back(entry);
        return tries;
    }

    FakeWin win;
    TProgressBar bar;
    CComport com;
    std::vector<std::string> messages;
    std::vector<int> pump_positions; // the bar each time the window is serviced
    static Search* current_;
};
Search* Search::current_ = nullptr;

TEST_F(Search, TriesInAscendingOrderAndLeavesTheAnsweringPortOpen)
{
    // Registry order 9, 0, 5, 3, 012: tried as 0, 3, 5, 9, 12.
    win.values = {Sz("\\Device\\a", "COM9"), Sz("\\Device\\b", "COM0"), Sz("\\Device\\c", "COM5"),
                  Sz("\\Device\\d", "COM3"), Sz("\\Device\\e", "COM012")};
    win.ports = {{3, Silent()}, {5, FakePort{ERROR_ACCESS_DENIED}}, {9, Loader()}, {12, Loader()}};
    uint16_t port = 777;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 9);
    EXPECT_EQ(win.walks, 1);
    EXPECT_EQ(Tries(), (std::vector<std::string>{
                           "walk",
                           "open 3", "close 3",  // the probe of COM3
                           "fail 0",             // listed unprobed, cannot be opened
                           "open 3", "close 3",  // opens, no answer: closed before the next port
                           "fail 5",             // in use by another program
                           "open 9"}));          // answers, stays open; 12 is never tried
    EXPECT_EQ(win.open_handles(), 1);
    EXPECT_NE(com.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(win.create_args_ok);
}

TEST_F(Search, DevicePathsHaveNoLeadingZeros)
{
    win.values = {Sz("\\Device\\a", "COM0012"), Sz("\\Device\\b", "COM65535")};
    win.ports = {{65535, Loader()}};
    uint16_t port = 0;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 65535);
    EXPECT_EQ(win.create_paths, (std::vector<std::string>{"\\\\.\\COM12", "\\\\.\\COM65535"}));
}

TEST_F(Search, TwoAnsweringPortsGiveTheLowerAndTheOtherIsNeverOpened)
{
    win.values = {Sz("\\Device\\a", "COM5"), Sz("\\Device\\b", "COM4")};
    win.ports = {{4, Loader()}, {5, Loader()}};
    uint16_t port = 0;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 4);
    EXPECT_EQ(win.Opened(), Ports{4});
}

TEST_F(Search, EveryPassPausesServicesTheWindowStepsAndListsAgain)
{
    // Nothing listed for 150 passes, then in the next the handset's port appears and answers.
    bar.SetMax(50);
    bar.SetPosition(30);
    std::vector<int> positions; // the bar as each pass lists the ports
    win.on_walk = [&] {
        positions.push_back(bar.Position());
        if (win.walks == 151) {
            win.values = {Sz("\\Device\\X7", "COM6")};
            win.ports[6] = Loader();
        }
    };
    uint16_t port = 0;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 6);
    ASSERT_EQ(win.walks, 151) << "found in the first pass that lists it";
    EXPECT_EQ(win.Opened(), Ports{6});
    EXPECT_TRUE(messages.empty());

    // The pause comes first, 100 ms in all, and the window is serviced in it.
    const std::vector<std::string> pause = {"pump", "sleep 20", "pump", "sleep 20", "pump", "sleep 20",
                                            "pump", "sleep 20", "pump", "sleep 20"};
    std::vector<std::string> before_first(win.log.begin(), win.log.begin() + pause.size());
    EXPECT_EQ(before_first, pause);
    for (int n = 1; n < 150; ++n) {
        std::vector<std::string> expected = {"walk", "version", "key closed"};
        expected.insert(expected.end(), pause.begin(), pause.end());
        ASSERT_EQ(Pass(n), expected) << "pass " << n;
    }
    // The bar sweeps 0..99 over and over, one step a pass after the pause,
    // whatever it held before.
    EXPECT_EQ(bar.Max(), 100);
    ASSERT_EQ(positions.size(), 151u);
    ASSERT_GE(pump_positions.size(), 151u * 5); // the sync of the last pass pumps too
    for (size_t i = 0; i < positions.size(); ++i) {
        EXPECT_EQ(pump_positions[i * 5], static_cast<int>(i % 100)) << i;
        EXPECT_EQ(pump_positions[i * 5 + 4], static_cast<int>(i % 100)) << i;
        EXPECT_EQ(positions[i], static_cast<int>((i + 1) % 100)) << i;
    }
}

TEST_F(Search, APortThatFailsTheSyncIsTriedAgainEveryPassAsOftenAsListed)
{
    win.values = {Sz("\\Device\\a", "COM7"), Sz("\\Device\\b", "COM7")};
    win.ports = {{7, Silent()}};
    win.on_walk = [&] {
        if (win.walks == 3) win.ports[7] = Loader();
    };
    uint16_t port = 0;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 7);
    // Each silent try is closed at once, the last of a pass too.
    EXPECT_EQ(Tries(), (std::vector<std::string>{"walk", "open 7", "close 7", "open 7", "close 7",
                                                 "walk", "open 7", "close 7", "open 7", "close 7",
                                                 "walk", "open 7"}));
}

TEST_F(Search, AFailedEnumerationEndsTheSearchWithTheMessage)
{
    struct Case {
        const char* what;
        LONG open_result;
        int ports;
    } cases[] = {{"no key", ERROR_FILE_NOT_FOUND, 0}, {"key refused", ERROR_ACCESS_DENIED, 1},
                 {"256 ports", ERROR_SUCCESS, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        win.log.clear();
        win.walks = 0;
        win.create_paths.clear();
        messages.clear();
        win.open_result = c.open_result;
        win.values.clear();
        for (int i = 0; i < c.ports; ++i) {
            win.values.push_back(Sz("\\Device\\S" + std::to_string(i), "COM" + std::to_string(i + 4)));
            win.ports[static_cast<uint16_t>(i + 4)] = Loader();
        }
        // Should the search go on regardless, a port that answers in the
        // second pass ends it.
        win.on_walk = [&] {
            if (win.walks < 2) return;
            win.open_result = ERROR_SUCCESS;
            win.values = {Sz("\\Device\\Stop", "COM4000")};
            win.ports[4000] = Loader();
        };
        uint16_t port = 777;
        EXPECT_FALSE(com.Find_Device_Port(port));
        EXPECT_EQ(port, 777);
        EXPECT_EQ(messages, std::vector<std::string>{" Enumerate COM port fail! "});
        EXPECT_TRUE(win.create_paths.empty()) << "no port of that pass is tried";
        EXPECT_EQ(std::count(win.log.begin(), win.log.end(), "walk"), 1);
    }
}

TEST_F(Search, TheMostThePassHolds)
{
    // 255 ports fit; the one that answers is the highest.
    for (int i = 0; i < 255; ++i) win.values.push_back(Sz("\\Device\\S" + std::to_string(i), "COM" + std::to_string(i + 10)));
    win.ports[264] = Loader();
    uint16_t port = 0;
    ASSERT_TRUE(com.Find_Device_Port(port));
    EXPECT_EQ(port, 264);
    EXPECT_EQ(win.create_paths.size(), 255u);
}

} // namespace
