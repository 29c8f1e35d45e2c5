// The port enumeration against a scripted registry, version call and ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/enum_ports.h"
#include "fake_win.h"

namespace {

using Ports = std::vector<uint16_t>;

TEST(IsComName, AcceptsComAndDigitsOnly)
{
    struct { const char* text; bool ok; } cases[] = {
        {"COM1", true}, {"com5", true}, {"cOm007", true}, {"COM1234567890", true}, {"COM0", true},
        {"COM", false}, {"COM5A", false}, {"COM 5", false}, {"COM-5", false}, {"COM+5", false},
        {"COM5 ", false}, {" COM5", false}, {"CO5", false}, {"XCOM5", false}, {"", false},
        {"LPT1", false}, {"COM\xA2\xB0", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Is_Com_Name(c.text), c.ok) << '"' << c.text << '"';
    EXPECT_FALSE(Is_Com_Name(nullptr));
}

TEST(ProbeComPort, PresenceRules)
{
    auto port = [](DWORD open_error, BOOL props_ok, DWORD sub_type) {
        FakePort p;
        p.open_error = open_error;
        p.props_ok = props_ok;
        p.sub_type = sub_type;
        return p;
    };
    struct { const char* what; FakePort port; uint32_t wanted; bool present; bool asks_props; } cases[] = {
        {"serial port", port(0, TRUE, PST_RS232), PROBE_RS232, true, true},
        {"modem", port(0, TRUE, PST_MODEM), PROBE_RS232, false, true},
        {"type unknown", port(0, FALSE, PST_MODEM), PROBE_RS232, true, true},
        {"any type wanted", port(0, TRUE, PST_MODEM), 0, true, false},
        {"held by another program", port(ERROR_ACCESS_DENIED, TRUE, 0), PROBE_RS232, true, false},
        {"driver refuses", port(ERROR_GEN_FAILURE, TRUE, 0), PROBE_RS232, true, false},
        {"no such file", port(ERROR_FILE_NOT_FOUND, TRUE, 0), PROBE_RS232, false, false},
        {"no such path", port(ERROR_PATH_NOT_FOUND, TRUE, 0), PROBE_RS232, false, false},
        {"sharing violation", port(ERROR_SHARING_VIOLATION, TRUE, 0), PROBE_RS232, false, false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint16_t n : {uint16_t{0}, uint16_t{7}, uint16_t{65535}}) {
            FakeWin win;
            win.ports[n] = c.port;
            EXPECT_EQ(Probe_Com_Port(n, c.wanted), c.present);
            ASSERT_EQ(win.create_paths, std::vector<std::string>{"\\\\.\\COM" + std::to_string(n)});
            EXPECT_TRUE(win.create_args_ok);
            EXPECT_EQ(win.open_handles(), 0) << "the probe closes what it opened";
        }
    }
}

TEST(ProbeComPort, ZeroedRecordAndTypeCompared)
{
    // The provider subtype is compared as given, whatever it is.
    FakeWin win;
    win.ports[9].sub_type = PST_MODEM;
    EXPECT_TRUE(Probe_Com_Port(9, PST_MODEM));
    EXPECT_FALSE(Probe_Com_Port(9, PROBE_RS232));
}

// --- Enum_Com_Ports: arguments, array and result codes ---------------------

TEST(EnumComPorts, BadArgumentsReadNothing)
{
    FakeWin win;
    win.values = {Sz("\\Device\\Serial0", "COM5")};
    uint16_t ports[4] = {11, 22, 33, 44};
    uint16_t count = 4, zero = 0;
    EXPECT_EQ(Enum_Com_Ports(nullptr, &count), ENUM_BAD_ARGS);
    EXPECT_EQ(Enum_Com_Ports(ports, nullptr), ENUM_BAD_ARGS);
    EXPECT_EQ(Enum_Com_Ports(ports, &zero), ENUM_BAD_ARGS);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(Ports(ports, ports + 4), (Ports{11, 22, 33, 44}));
    EXPECT_TRUE(win.log.empty()) << "the registry is not read";
}

TEST(EnumComPorts, SortsAndFillsTheRoomWithZeros)
{
    FakeWin win;
    win.values = {Sz("\\Device\\A", "COM12"), Sz("\\Device\\B", "COM4"), Sz("\\Device\\C", "COM7")};
    uint16_t ports[12];
    std::fill(std::begin(ports), std::end(ports), 0xEEEE);
    uint16_t count = 10;
    EXPECT_EQ(Enum_Com_Ports(ports, &count), ENUM_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Ports(ports, ports + 12), (Ports{4, 7, 12, 0, 0, 0, 0, 0, 0, 0, 0xEEEE, 0xEEEE}))
        << "zeros up to the room given, nothing beyond";
}

TEST(EnumComPorts, ResultCodes)
{
    struct Case {
        const char* what;
        std::vector<FakeValue> values;
        LONG open_result;
        uint16_t room;
        int code;
        uint16_t count_after;
        Ports array_after;
    };
    const Ports untouched = {0xEEEE, 0xEEEE, 0xEEEE};
    std::vector<FakeValue> three = {Sz("\\Device\\A", "COM9"), Sz("\\Device\\B", "COM8"), Sz("\\Device\\C", "COM70")};
    std::vector<Case> cases = {
        {"room too small", three, ERROR_SUCCESS, 2, ENUM_TOO_MANY, 3, untouched},
        {"room just enough", three, ERROR_SUCCESS, 3, ENUM_OK, 3, {8, 9, 70}},
        {"no values", {}, ERROR_SUCCESS, 3, ENUM_NO_PORTS, 3, untouched},
        {"none qualifies", {Sz("\\Device\\A", "LPT1"), FakeValue{"\\Device\\B", REG_EXPAND_SZ, "COM5"}},
         ERROR_SUCCESS, 3, ENUM_NO_PORTS, 3, untouched},
        {"no key", three, ERROR_FILE_NOT_FOUND, 3, ENUM_KEY_FAILED, 3, untouched},
        {"key refused", three, ERROR_ACCESS_DENIED, 3, ENUM_KEY_FAILED, 3, untouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWin win;
        win.values = c.values;
        win.open_result = c.open_result;
        uint16_t ports[3] = {0xEEEE, 0xEEEE, 0xEEEE};
        uint16_t count = c.room;
        EXPECT_EQ(Enum_Com_Ports(ports, &count), c.code);
        EXPECT_EQ(count, c.count_after);
        EXPECT_EQ(Ports(ports, ports + 3), c.array_after);
    }
}

TEST(EnumComPorts, DuplicatesStayAndSitTogether)
{
    FakeWin win;
    win.values = {Sz("\\Device\\A", "COM5"), Sz("\\Device\\B", "COM9"), Sz("\\Device\\C", "com5")};
    uint16_t ports[4];
    uint16_t count = 4;
    EXPECT_EQ(Enum_Com_Ports(ports, &count), ENUM_OK);
    EXPECT_EQ(Ports(ports, ports + count), (Ports{5, 5, 9}));
}

TEST(EnumComPorts, MoreThanTheSearchHoldsIsTooMany)
{
    for (int n : {255, 256, 400}) {
        FakeWin win;
        for (int i = 0; i < n; ++i) win.values.push_back(Sz("\\Device\\S" + std::to_string(i), "COM" + std::to_string(1000 - i)));
        uint16_t ports[255];
        uint16_t count = 255;
        int code = Enum_Com_Ports(ports, &count);
        EXPECT_EQ(code, n <= 255 ? ENUM_OK : ENUM_TOO_MANY) << n;
        EXPECT_EQ(count, n);
        if (code == ENUM_OK) {
            EXPECT_EQ(ports[0], 1000 - n + 1);
            EXPECT_EQ(ports[254], 1000);
        }
    }
}

} // namespace
