// The registry walk of the port enumeration against a scripted registry:
// the calls it makes, the rules a value must pass, and what ends the walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/enum_ports.h"
#include "fake_win.h"

namespace {

using Ports = std::vector<uint16_t>;

Ports Probed(const FakeWin& win)
{
    Ports probed;
    for (const std::string& path : win.create_paths) probed.push_back(static_cast<uint16_t>(std::stoul(path.substr(7))));
    return probed;
}

FakePort Present() { return FakePort{}; }
FakePort Refusing(DWORD error)
{
    FakePort p;
    p.open_error = error;
    return p;
}
FakePort Modem()
{
    FakePort p;
    p.sub_type = PST_MODEM;
    return p;
}

enum Family { NT, NINE_X, VERSION_FAILS, OTHER_ID };

struct WalkCase {
    const char* what;
    Family family;
    std::vector<FakeValue> values;
    std::map<uint16_t, FakePort> ports;
    Ports listed;  // in registry order
    Ports probed;  // in order
};

void Walk(const WalkCase& c)
{
    SCOPED_TRACE(c.what);
    FakeWin win;
    win.values = c.values;
    win.ports = c.ports;
    win.platform = c.family == NT ? VER_PLATFORM_WIN32_NT : c.family == OTHER_ID ? 3 : VER_PLATFORM_WIN32_WINDOWS;
    if (c.family == VERSION_FAILS) {
        win.version_ok = FALSE;
        win.platform = VER_PLATFORM_WIN32_NT; // what the call would have said
    }
    Ports list = {99, 98}; // the walk empties it first
    EXPECT_EQ(Enum_Ports_Registry(list), 0);
    EXPECT_EQ(list, c.listed);
    EXPECT_EQ(Probed(win), c.probed);
    EXPECT_EQ(win.key_closes, 1);
    EXPECT_EQ(win.open_handles(), 0);
}

TEST(RegistryWalk, NtFamilyProbesOnlyOneToThree)
{
    Walk({"COM12 and COM0 listed unprobed, 1..3 only when present",
         NT,
         {Sz("\\Device\\Serial0", "COM12"), Sz("\\Device\\Serial1", "COM0"), Sz("\\Device\\Serial2", "COM2"),
          Sz("\\Device\\Serial3", "COM3"), Sz("\\Device\\Serial4", "COM1"), Sz("\\Device\\Serial5", "COM4")},
         {{2, Present()}, {3, Refusing(ERROR_FILE_NOT_FOUND)}, {1, Refusing(ERROR_ACCESS_DENIED)}},
         {12, 0, 2, 1, 4},
         {2, 3, 1}});
    Walk({"a modem on COM2 is left out", NT, {Sz("\\Device\\Modem", "COM2")}, {{2, Modem()}}, {}, {2}});
}

TEST(RegistryWalk, OtherFamilyProbesEveryPort)
{
    std::vector<FakeValue> values = {Sz("COM12", "COM12"), Sz("COM0", "COM0"), Sz("COM4", "COM4"),
                                     Sz("COM5", "COM5"), Sz("COM6", "COM6"), Sz("COM7", "COM7")};
    std::map<uint16_t, FakePort> ports = {{0, Present()},
                                          {4, Refusing(ERROR_ACCESS_DENIED)},
                                          {5, Refusing(ERROR_GEN_FAILURE)},
                                          {6, Modem()},
                                          {7, Refusing(ERROR_PATH_NOT_FOUND)}};
    Walk({"Windows 9x", NINE_X, values, ports, {0, 4, 5}, {12, 0, 4, 5, 6, 7}});
    Walk({"an unknown platform counts as the other family", OTHER_ID, values, ports, {0, 4, 5}, {12, 0, 4, 5, 6, 7}});
    Walk({"a failed GetVersionExA counts as the other family", VERSION_FAILS,
         {Sz("\\Device\\Serial0", "COM5"), Sz("COM6", "COM6"), Sz("COM7", "COM7")},
         {{6, Present()}},
         {6},
         {6, 7}});
}

TEST(RegistryWalk, NamePrefixAndCase)
{
    Walk({"NT: \\Device\\ in any case",
         NT,
         {Sz("\\Device\\Serial0", "COM10"), Sz("\\DEVICE\\x", "COM11"), Sz("\\device\\", "COM12"),
          Sz("Device\\Serial0", "COM13"), Sz("\\Devic", "COM14"), Sz("COM15", "COM15"), Sz("", "COM16"),
          Sz("/Device/Serial0", "COM17"), Sz(" \\Device\\Serial0", "COM18")},
         {},
         {10, 11, 12},
         {}});
    Walk({"9x: COM in any case",
         NINE_X,
         {Sz("COM1", "COM21"), Sz("com2", "COM22"), Sz("CoMx", "COM23"), Sz("\\Device\\Serial0", "COM24"),
          Sz("CO", "COM25"), Sz("LPT1", "COM26")},
         {{21, Present()}, {22, Present()}, {23, Present()}},
         {21, 22, 23},
         {21, 22, 23}});
}

TEST(RegistryWalk, DataForms)
{
    Walk({"only REG_SZ data of COM and digits",
         NT,
         {Sz("\\Device\\a", "com5"), Sz("\\Device\\b", "COM007"), Sz("\\Device\\c", "COM"),
          Sz("\\Device\\d", "COM5A"), Sz("\\Device\\e", "COM 5"), Sz("\\Device\\f", "COM-5"),
          FakeValue{"\\Device\\g", REG_EXPAND_SZ, std::string("COM6", 5)},
          FakeValue{"\\Device\\h", REG_MULTI_SZ, std::string("COM8\0\0", 6)},
          FakeValue{"\\Device\\i", REG_BINARY, std::string("COM9", 5)},
          FakeValue{"\\Device\\j", REG_DWORD, std::string("\x09\0\0\0", 4)},
          Sz("\\Device\\k", ""), Sz("\\Device\\l", "COM10"), Sz("\\Device\\l", "COM10")},
         {},
         {5, 7, 10, 10},
         {}});
}

TEST(RegistryWalk, DigitsBeyondAPortNumberMakeNoPort)
{
    // Cut down to 16 or 32 bits these would be 0, 1, 2 or some real port.
    Walk({"out of range",
         NT,
         {Sz("\\Device\\a", "COM65535"), Sz("\\Device\\b", "COM65536"), Sz("\\Device\\c", "COM65538"),
          Sz("\\Device\\d", "COM4294967297"), Sz("\\Device\\e", "COM2147483648"),
          Sz("\\Device\\f", "COM99999999999999999999"), Sz("\\Device\\g", "COM000000000000000000000006"),
          Sz("\\Device\\h", "COM8")},
         {},
         {65535, 6, 8},
         {}});
}

TEST(RegistryWalk, DataIsJudgedWithinWhatWasRead)
{
    // Without a terminating zero the registry hands back just the text; what
    // an earlier, longer value left in the buffer must not count.
    Walk({"unterminated after a longer value",
         NT,
         {Sz("\\Device\\a", "COM12345"), FakeValue{"\\Device\\b", REG_SZ, "COM5"},
          FakeValue{"\\Device\\c", REG_SZ, "COM"}},
         {},
         {12345, 5},
         {}});
    // 512 bytes, no zero: the whole buffer is the text.
    std::string full = "COM" + std::string(508, '0') + "9";
    std::string full_bad = "COM" + std::string(508, '0') + "x";
    Walk({"a full buffer without a zero",
         NT,
         {FakeValue{"\\Device\\a", REG_SZ, full}, FakeValue{"\\Device\\b", REG_SZ, full_bad}, Sz("\\Device\\c", "COM4")},
         {},
         {9, 4},
         {}});
}

TEST(RegistryWalk, WhatDoesNotFitEndsTheWalk)
{
    const std::string name511 = "\\Device\\" + std::string(503, 'n');
    const std::string data511 = "COM" + std::string(507, '0') + "7";  // with its zero: 512 bytes
    Walk({"largest name and data that fit", NT, {Sz(name511, "COM5"), Sz("\\Device\\b", data511)}, {}, {5, 7}, {}});
    Walk({"a name of 512 characters",
         NT,
         {Sz("\\Device\\a", "COM5"), Sz(name511 + "n", "COM6"), Sz("\\Device\\c", "COM7")},
         {},
         {5},
         {}});
    Walk({"data of 513 bytes",
         NT,
         {Sz("\\Device\\a", "COM5"), Sz("\\Device\\b", data511 + "0"), Sz("\\Device\\c", "COM7")},
         {},
         {5},
         {}});
    FakeValue refused = Sz("\\Device\\b", "COM6");
    refused.result = ERROR_ACCESS_DENIED;
    Walk({"a failing call", NT, {Sz("\\Device\\a", "COM5"), refused, Sz("\\Device\\c", "COM7")}, {}, {5}, {}});
}

TEST(RegistryWalk, ExactCalls)
{
    // The key, its access, the version record, and capacities set back to
    // 512 before every call though the registry shrank them.
    FakeWin win;
    win.values = {Sz("\\Device\\a", "COM5"), Sz("\\Device\\bb", "COM66"), Sz("x", "y")};
    Ports list;
    EXPECT_EQ(Enum_Ports_Registry(list), 0);
    EXPECT_EQ(win.opened_root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(win.opened_path, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
    EXPECT_EQ(win.opened_options, 0u);
    EXPECT_EQ(win.opened_access, static_cast<REGSAM>(9));
    EXPECT_EQ(win.version_size, 148u);
    EXPECT_EQ(win.version_preset, 1u);
    ASSERT_EQ(win.enum_calls.size(), 4u) << "three values and the call that ends the walk";
    for (DWORD i = 0; i < win.enum_calls.size(); ++i) {
        const RegEnumCall& call = win.enum_calls[i];
        EXPECT_EQ(call.index, i);
        EXPECT_EQ(call.name_capacity, 512u);
        EXPECT_EQ(call.data_capacity, 512u);
        EXPECT_TRUE(call.reserved_null);
        EXPECT_TRUE(call.type_given);
        EXPECT_TRUE(call.data_given);
    }
    EXPECT_EQ(win.log, (std::vector<std::string>{"walk", "version", "key closed"}));
}

TEST(RegistryWalk, KeyClosedOnEveryPathAndNotOpenedNotClosed)
{
    struct { const char* what; LONG end; } ends[] = {
        {"no more items", ERROR_NO_MORE_ITEMS}, {"more data", ERROR_MORE_DATA}, {"access denied", ERROR_ACCESS_DENIED}};
    for (const auto& e : ends) {
        SCOPED_TRACE(e.what);
        FakeWin win;
        win.values = {Sz("\\Device\\a", "COM5")};
        win.end_result = e.end;
        Ports list;
        EXPECT_EQ(Enum_Ports_Registry(list), 0);
        EXPECT_EQ(list, Ports{5});
        EXPECT_EQ(win.key_closes, 1);
    }
    FakeWin win;
    win.open_result = ERROR_FILE_NOT_FOUND;
    Ports list = {3};
    EXPECT_EQ(Enum_Ports_Registry(list), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(win.log, std::vector<std::string>{"walk"}) << "nothing else once the key fails";
}

} // namespace
