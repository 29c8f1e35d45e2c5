// CComport's port operations through Wine's serial path on a pty, with the
// simulated handset on the other end.
#include <gtest/gtest.h>
#include <windows.h>

#include "serial/comport.h"
#include "sim_handset.h"
#include "tests/serial/stopwatch.h"

namespace {

constexpr int PORT = 7;
constexpr int OTHER_PORT = 8;
constexpr int MISSING_PORT = 63; // mapped by the prefix, but nothing behind it

// Whether a handle that stood for a port is closed now. Wine lets a port be
// opened twice in spite of share mode 0, so the handle itself must tell. A
// new handle of the same value means the old one was given back first.
bool Closed(HANDLE old_handle, HANDLE current)
{
    DWORD flags = 0;
    return old_handle == current || !GetHandleInformation(old_handle, &flags);
}

TEST(PortLine, ASilentLineTimesOutAfterItsTimeOut)
{
    SimHandset sim({"--port", std::to_string(PORT), "--silent"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CComport port;
    ASSERT_TRUE(port.Open_Port(Com_Path(PORT)));
    for (uint32_t timeout : {100u, 1000u}) {
        SCOPED_TRACE(timeout);
        uint8_t byte = 0;
        Stopwatch clock;
        EXPECT_FALSE(port.Read_Data(&byte, 1, timeout));
        EXPECT_TOOK_ABOUT(clock.Ms(), timeout);
    }
    port.Close_Port();
}

TEST(PortLine, AWaitingByteIsReadAtOnce)
{
    SimHandset sim({"--port", std::to_string(PORT)});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CComport port;
    ASSERT_TRUE(port.Open_Port(Com_Path(PORT)));
    const uint8_t command = 0x52;
    ASSERT_TRUE(port.Write_Data(&command, 1));
    Sleep(200); // the echo is queued by now
    uint8_t echo = 0;
    Stopwatch clock;
    EXPECT_TRUE(port.Read_Data(&echo, 1, 3000));
    EXPECT_LT(clock.Ms(), 1000);
    EXPECT_EQ(echo, 0x52);
    port.Close_Port();
}

TEST(PortLine, APartialReadIsFalseAndItsBytesAreGone)
{
    // Two bytes in place of the echo of the read command.
    SimHandset sim({"--port", std::to_string(PORT), "--fault", "garbage=0102"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CComport port;
    ASSERT_TRUE(port.Open_Port(Com_Path(PORT)));
    const uint8_t command = 0x52;
    ASSERT_TRUE(port.Write_Data(&command, 1));

    uint8_t buffer[3] = {0xEE, 0xEE, 0xEE};
    Stopwatch clock;
    EXPECT_FALSE(port.Read_Data(buffer, 3, 500));
    EXPECT_TOOK_ABOUT(clock.Ms(), 500);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0x02);
    EXPECT_EQ(buffer[2], 0xEE);

    EXPECT_EQ(port.Get_InQueue(), 0u);
    uint8_t byte = 0;
    EXPECT_FALSE(port.Read_Data(&byte, 1, 100));
    port.Close_Port();
}

TEST(PortLine, StaleBytesArePurgedAtOpen)
{
    SimHandset sim({"--port", std::to_string(PORT), "--stale", "AA55A5010203"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CComport port;
    ASSERT_TRUE(port.Open_Port(Com_Path(PORT)));
    uint8_t byte = 0;
    EXPECT_FALSE(port.Read_Data(&byte, 1, 200)) << "left over: " << int(byte);
    // Nothing old stands between the host and the boot loader's first reply.
    EXPECT_TRUE(port.Sync_Target());
    port.Close_Port();
    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
}

TEST(PortLine, AMissingPortFailsToOpenAndLeavesTheObjectClosed)
{
    CComport port;
    EXPECT_FALSE(port.Open_Port(Com_Path(MISSING_PORT)));
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(port.Open_Port("\\\\.\\NOSUCHPORT"));
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
}

TEST(PortLine, ASecondOpenClosesTheFirstPort)
{
    SimHandset first({"--port", std::to_string(PORT)});
    SimHandset second({"--port", std::to_string(OTHER_PORT)});
    ASSERT_TRUE(first.Started()) << first.Error();
    ASSERT_TRUE(second.Started()) << second.Error();
    CComport port;
    ASSERT_TRUE(port.Open_Port(Com_Path(PORT)));
    const HANDLE first_handle = port.Com_Handle;

    ASSERT_TRUE(port.Open_Port(Com_Path(OTHER_PORT)));
    EXPECT_TRUE(Closed(first_handle, port.Com_Handle));
    EXPECT_TRUE(port.Sync_Target()) << "the port open now is the second one";
    const HANDLE second_handle = port.Com_Handle;

    // Even an open that fails first lets go of the port held so far.
    EXPECT_FALSE(port.Open_Port(Com_Path(MISSING_PORT)));
    EXPECT_EQ(port.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Closed(second_handle, port.Com_Handle));

    ASSERT_TRUE(first.Stop() && second.Stop());
    EXPECT_TRUE(first.Events("sync").empty());
    EXPECT_EQ(second.Events("sync").size(), 1u);
}

} // namespace
