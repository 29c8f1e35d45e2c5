// The port operations of CComport against the scripted platform: the exact
// calls, their arguments and where the message pump runs.
#include <gtest/gtest.h>

#include <cstddef>

#include "serial/comport.h"
#include "tests/serial/fake_win.h"
#include "vcl/progress_bar.h"

namespace {

using Calls = std::vector<std::string>;

const std::string CREATE_COM7 = "CreateFileA \\\\.\\COM7 C0000000 0 null 3 0 null";
const Calls CONFIGURE = {"GetCommState", "SetCommState", "Sleep 100", "SetupComm 1024 1024"};

Calls Concat(Calls a, const Calls& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class PortTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(fake.stray_handle_calls, 0) << "a call on a handle that is not open"; }

    FakeWin fake;
    CComport port;
};

TEST_F(PortTest, StartsClosedAndUnboundAndItsDestructorLeavesEverything)
{
    static_assert(offsetof(CComport, Com_Handle) < offsetof(CComport, Progress_Bar));
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(port.Progress_Bar, nullptr);

    TProgressBar bar;
    bar.SetMax(10);
    bar.SetPosition(5);
    HANDLE h = fake.Open_Handle();
    {
        CComport doomed;
        doomed.Com_Handle = h;
        doomed.Set_ProgressBar(&bar);
    }
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(fake.Is_Open(h));
    EXPECT_EQ(bar.Position(), 5);
}

TEST_F(PortTest, OpenConfiguresAndSetsUpQueuesAndLeavesAnEmptyQueueUnpurged)
{
    ASSERT_TRUE(port.Open_Port("\\\\.\\COM7"));
    EXPECT_EQ(fake.calls, Concat(Concat({CREATE_COM7}, CONFIGURE), {"pump", "ClearCommError"}));
    EXPECT_TRUE(fake.Is_Open(port.Com_Handle));
}

// Each case scripts one step of the open; those after CreateFileA leave the port open.
struct OpenCase {
    const char* name;
    void (*script)(FakeWin&);
    bool result;
    bool left_open;
    Calls tail; // the calls after CreateFileA
};

const OpenCase OPEN_CASES[] = {
    {"CreateFileA fails", [](FakeWin& f) { f.create_ok = false; }, false, false, {}},
    {"GetCommState fails", [](FakeWin& f) { f.get_state_ok = false; }, false, true, {"GetCommState"}},
    {"SetCommState fails", [](FakeWin& f) { f.set_state_ok = false; }, false, true, {"GetCommState", "SetCommState"}},
    {"SetupComm fails", [](FakeWin& f) { f.setup_ok = false; }, false, true, CONFIGURE},
    {"stale bytes purged", [](FakeWin& f) { f.Receive({1, 2, 3}); }, true, true,
     Concat(CONFIGURE, {"pump", "ClearCommError", "PurgeComm 12"})},
    {"stale bytes, purge fails",
     [](FakeWin& f) {
         f.Receive({1, 2, 3});
         f.purge_ok = false;
     },
     false, true, Concat(CONFIGURE, {"pump", "ClearCommError", "PurgeComm 12"})},
    {"queue query fails: no purge",
     [](FakeWin& f) {
         f.Receive({1, 2, 3});
         f.clear_ok = false;
     },
     true, true, Concat(CONFIGURE, {"pump", "ClearCommError"})},
    {"line error pending: no purge",
     [](FakeWin& f) {
         f.Receive({1, 2, 3});
         f.line_errors = CE_FRAME;
     },
     true, true, Concat(CONFIGURE, {"pump", "ClearCommError"})},
};

TEST(PortTable, OpenStepsAndTheirFailures)
{
    for (const OpenCase& c : OPEN_CASES) {
        SCOPED_TRACE(c.name);
        FakeWin f;
        CComport p;
        c.script(f);
        EXPECT_EQ(p.Open_Port("\\\\.\\COM7"), c.result);
        EXPECT_EQ(f.calls, Concat({CREATE_COM7}, c.tail));
        EXPECT_EQ(f.stray_handle_calls, 0);
        if (!c.left_open) {
            EXPECT_EQ(p.Com_Handle, INVALID_HANDLE_VALUE);
            continue;
        }
        ASSERT_TRUE(f.Is_Open(p.Com_Handle));
        HANDLE h = p.Com_Handle;
        p.Close_Port();
        EXPECT_FALSE(f.Is_Open(h));
        EXPECT_EQ(p.Com_Handle, INVALID_HANDLE_VALUE);
    }
}

TEST_F(PortTest, OpenClosesThePreviousPortFirstEvenWhenTheNewOneFails)
{
    ASSERT_TRUE(port.Open_Port("\\\\.\\COM7"));
    HANDLE first = port.Com_Handle;
    fake.calls.clear();

    ASSERT_TRUE(port.Open_Port("\\\\.\\COM8"));
    EXPECT_FALSE(fake.Is_Open(first));
    ASSERT_GE(fake.calls.size(), 2u);
    EXPECT_EQ(fake.calls[0], "CloseHandle 0x100");
    EXPECT_EQ(fake.calls[1], "CreateFileA \\\\.\\COM8 C0000000 0 null 3 0 null");
    HANDLE second = port.Com_Handle;
    fake.calls.clear();

    fake.create_ok = false;
    EXPECT_FALSE(port.Open_Port("\\\\.\\COM9"));
    EXPECT_FALSE(fake.Is_Open(second));
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fake.calls, (Calls{"CloseHandle 0x101", "CreateFileA \\\\.\\COM9 C0000000 0 null 3 0 null"}));
}

struct DcbField {
    const char* name;
    DWORD value;
};

std::vector<DcbField> Fields(const DCB& d)
{
    return {{"BaudRate", d.BaudRate},       {"fBinary", d.fBinary},
            {"fParity", d.fParity},         {"fOutxCtsFlow", d.fOutxCtsFlow},
            {"fOutxDsrFlow", d.fOutxDsrFlow}, {"fDtrControl", d.fDtrControl},
            {"fDsrSensitivity", d.fDsrSensitivity}, {"fTXContinueOnXoff", d.fTXContinueOnXoff},
            {"fOutX", d.fOutX},             {"fInX", d.fInX},
            {"fErrorChar", d.fErrorChar},   {"fNull", d.fNull},
            {"fRtsControl", d.fRtsControl}, {"fAbortOnError", d.fAbortOnError},
            {"ByteSize", d.ByteSize},       {"Parity", d.Parity},
            {"StopBits", d.StopBits},       {"DCBlength", d.DCBlength},
            {"XonLim", d.XonLim},           {"XoffLim", d.XoffLim},
            {"XonChar", static_cast<BYTE>(d.XonChar)}, {"XoffChar", static_cast<BYTE>(d.XoffChar)},
            {"ErrorChar", static_cast<BYTE>(d.ErrorChar)}, {"EofChar", static_cast<BYTE>(d.EofChar)},
            {"EvtChar", static_cast<BYTE>(d.EvtChar)}};
}

TEST_F(PortTest, ConfigSetsEveryLineFieldAndKeepsTheRestAsFound)
{
    // The port reports the opposite of every setting, so a field left unset shows.
    DCB& d = fake.state;
    d.DCBlength = sizeof(DCB);
    d.BaudRate = 9600;
    d.fBinary = FALSE;
    d.fParity = d.fOutxCtsFlow = d.fOutxDsrFlow = TRUE;
    d.fDtrControl = DTR_CONTROL_HANDSHAKE;
    d.fDsrSensitivity = d.fTXContinueOnXoff = d.fOutX = d.fInX = d.fErrorChar = d.fNull = TRUE;
    d.fRtsControl = RTS_CONTROL_TOGGLE;
    d.fAbortOnError = TRUE;
    d.ByteSize = 7;
    d.Parity = EVENPARITY;
    d.StopBits = TWOSTOPBITS;
    d.XonLim = 11;
    d.XoffLim = 22;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = 'E';
    d.EofChar = 'Z';
    d.EvtChar = 'V';
    port.Com_Handle = fake.Open_Handle();

    ASSERT_TRUE(port.Config_Port(115200));
    const std::vector<DcbField> expected = {
        {"BaudRate", 115200}, {"fBinary", 1},   {"fParity", 0},         {"fOutxCtsFlow", 0},
        {"fOutxDsrFlow", 0},  {"fDtrControl", DTR_CONTROL_DISABLE},    {"fDsrSensitivity", 0},
        {"fTXContinueOnXoff", 0}, {"fOutX", 0}, {"fInX", 0},            {"fErrorChar", 0},
        {"fNull", 0},         {"fRtsControl", RTS_CONTROL_DISABLE},    {"fAbortOnError", 0},
        {"ByteSize", 8},      {"Parity", NOPARITY}, {"StopBits", ONESTOPBIT},
        {"DCBlength", sizeof(DCB)}, {"XonLim", 11}, {"XoffLim", 22},    {"XonChar", 0x11},
        {"XoffChar", 0x13},   {"ErrorChar", 'E'}, {"EofChar", 'Z'},     {"EvtChar", 'V'}};
    const std::vector<DcbField> actual = Fields(fake.set_state);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i].value, expected[i].value) << expected[i].name;
    // The pause follows the new settings, and configuring never pumps.
    EXPECT_EQ(fake.calls, (Calls{"GetCommState", "SetCommState", "Sleep 100"}));

    fake.calls.clear();
    ASSERT_TRUE(port.Config_Port(57600));
    EXPECT_EQ(fake.set_state.BaudRate, 57600u);
}

struct ReadCase {
    const char* name;
    void (*script)(FakeWin&);
    uint32_t timeout;
    uint32_t count;
    bool result;
    Calls calls;
    std::string got;  // bytes that stand in the buffer afterwards
    size_t left;      // bytes still queued afterwards
};

const ReadCase READ_CASES[] = {
    {"byte waiting", [](FakeWin& f) { f.Receive({0x56}); }, 100, 1, true,
     {"SetCommTimeouts 0 0 100 0 0", "pump", "ReadFile 1"}, "56", 0},
    {"time-out 0 keeps the port's time-outs", [](FakeWin& f) { f.Receive({0x56}); }, 0, 1, true,
     {"pump", "ReadFile 1"}, "56", 0},
    {"silent line", [](FakeWin&) {}, 100, 1, false, {"SetCommTimeouts 0 0 100 0 0", "pump", "ReadFile 1"}, "", 0},
    {"partial read consumes what came", [](FakeWin& f) { f.Receive({1, 2}); }, 500, 3, false,
     {"SetCommTimeouts 0 0 500 0 0", "pump", "ReadFile 3"}, "01 02", 0},
    {"more waiting than asked", [](FakeWin& f) { f.Receive({1, 2, 3}); }, 4000, 2, true,
     {"SetCommTimeouts 0 0 4000 0 0", "pump", "ReadFile 2"}, "01 02", 1},
    {"time-outs refused: nothing read",
     [](FakeWin& f) {
         f.Receive({1});
         f.timeouts_ok = false;
     },
     100, 1, false, {"SetCommTimeouts 0 0 100 0 0"}, "", 1},
    {"read error", [](FakeWin& f) { f.read_ok = false; }, 100, 1, false,
     {"SetCommTimeouts 0 0 100 0 0", "pump", "ReadFile 1"}, "", 0},
};

TEST(PortTable, ReadSetsItsTimeOutThenPumpsThenReadsExactlyCountBytes)
{
    for (const ReadCase& c : READ_CASES) {
        SCOPED_TRACE(c.name);
        FakeWin f;
        CComport p;
        p.Com_Handle = f.Open_Handle();
        c.script(f);
        uint8_t buffer[8] = {};
        EXPECT_EQ(p.Read_Data(buffer, c.count, c.timeout), c.result);
        EXPECT_EQ(f.calls, c.calls);
        std::vector<uint8_t> got = Hex(c.got);
        EXPECT_EQ(Hex_Text(buffer, got.size()), c.got);
        EXPECT_EQ(f.rx.size(), c.left);
    }
}

struct WriteCase {
    const char* name;
    void (*script)(FakeWin&);
    uint32_t count;
    bool result;
};

const WriteCase WRITE_CASES[] = {
    {"whole write", [](FakeWin&) {}, 3, true},
    {"empty write", [](FakeWin&) {}, 0, true},
    {"failed write", [](FakeWin& f) { f.fail_write_at = 0; }, 3, false},
    {"short write", [](FakeWin& f) { f.short_write_at = 0; }, 3, false},
};

TEST(PortTable, WritePumpsThenWritesAndWantsEveryByteWritten)
{
    const uint8_t data[] = {0x01, 0x02, 0x03};
    for (const WriteCase& c : WRITE_CASES) {
        SCOPED_TRACE(c.name);
        FakeWin f;
        CComport p;
        p.Com_Handle = f.Open_Handle();
        c.script(f);
        EXPECT_EQ(p.Write_Data(data, c.count), c.result);
        EXPECT_EQ(f.calls, (Calls{"pump", "WriteFile " + std::to_string(c.count)}));
    }
}

TEST_F(PortTest, InQueuePumpsThenAsksAndTurnsEveryErrorIntoZero)
{
    port.Com_Handle = fake.Open_Handle();
    EXPECT_EQ(port.Get_InQueue(), 0u);
    fake.Receive({1, 2, 3});
    EXPECT_EQ(port.Get_InQueue(), 3u);
    EXPECT_EQ(fake.calls, (Calls{"pump", "ClearCommError", "pump", "ClearCommError"}));

    fake.clear_ok = false;
    EXPECT_EQ(port.Get_InQueue(), 0u);
    fake.clear_ok = true;

    // A pending line error hides the waiting bytes once; the query clears it.
    fake.line_errors = CE_OVERRUN | CE_FRAME;
    EXPECT_EQ(port.Get_InQueue(), 0u);
    EXPECT_EQ(port.Get_InQueue(), 3u);
    EXPECT_EQ(fake.rx.size(), 3u);
}

TEST_F(PortTest, PurgeDiscardsBothQueuesWithoutPumping)
{
    port.Com_Handle = fake.Open_Handle();
    fake.Receive({1, 2});
    EXPECT_TRUE(port.Purge_Port());
    EXPECT_TRUE(fake.rx.empty());
    fake.purge_ok = false;
    EXPECT_FALSE(port.Purge_Port());
    EXPECT_EQ(fake.calls, (Calls{"PurgeComm 12", "PurgeComm 12"}));
}

TEST_F(PortTest, CloseClosesOnceAndForgetsTheHandleEvenWhenClosingFails)
{
    port.Close_Port();
    EXPECT_TRUE(fake.calls.empty());

    port.Com_Handle = fake.Open_Handle();
    fake.close_ok = false;
    port.Close_Port();
    port.Close_Port();
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fake.calls, (Calls{"CloseHandle 0x100"}));
}

TEST_F(PortTest, DelaySleepsThroughThePlatformWithoutPumping)
{
    port.Delay(250);
    EXPECT_EQ(fake.calls, (Calls{"Sleep 250"}));
}

} // namespace
