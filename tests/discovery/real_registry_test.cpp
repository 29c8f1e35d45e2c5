// The port enumeration against Wine's own registry: values this test adds
// under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM are found as a driver's would be.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/enum_ports.h"

namespace {

using Ports = std::vector<uint16_t>;

const char KEY[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Adds values to the real key and takes them away again.
class SerialCommValues {
public:
    SerialCommValues()
    {
        DWORD disposition = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, KEY, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key_, &disposition),
                  ERROR_SUCCESS);
    }
    ~SerialCommValues()
    {
        for (const std::string& name : names_) RegDeleteValueA(key_, name.c_str());
        RegCloseKey(key_);
    }
    // bytes: the data as stored, a terminating zero only if included.
    void Add(const std::string& name, DWORD type, const std::string& bytes)
    {
        ASSERT_EQ(RegSetValueExA(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS)
            << name;
        names_.push_back(name);
    }
    void Sz(const std::string& name, const std::string& text) { Add(name, REG_SZ, text + '\0'); }

private:
    HKEY key_ = nullptr;
    std::vector<std::string> names_;
};

Ports Listed()
{
    Ports list;
    EXPECT_EQ(Enum_Ports_Registry(list), 0);
    std::sort(list.begin(), list.end());
    return list;
}

TEST(RealRegistry, AddedValuesAreFound)
{
    const Ports before = Listed(); // whatever else this prefix lists (normally nothing)
    Ports expected = before;
    {
        SerialCommValues values;
        values.Sz("\\Device\\X7Test41", "COM41");
        values.Sz("\\Device\\X7Test17", "COM17");
        values.Sz("\\Device\\X7Test17b", "com17");
        values.Sz("\\device\\x7test300", "COM300");       // no port of that number exists: NT lists it all the same
        values.Add("\\Device\\X7Test23", REG_SZ, "COM23"); // stored without its zero
        values.Add("\\Device\\X7TestE", REG_EXPAND_SZ, std::string("COM18", 6));
        values.Sz("X7Test19", "COM19");                   // not a device name
        values.Sz("\\Device\\X7TestBad", "COM5A");
        values.Sz("\\Device\\X7TestBig", "COM70000");
        // COM1..COM3 are probed, and nothing answers behind them in this prefix.
        values.Sz("\\Device\\X7Test2", "COM2");
        for (uint16_t n : {17, 17, 23, 41, 300}) expected.push_back(n);
        std::sort(expected.begin(), expected.end());

        EXPECT_EQ(Listed(), expected);

        uint16_t ports[255];
        uint16_t count = 255;
        ASSERT_EQ(Enum_Com_Ports(ports, &count), ENUM_OK);
        EXPECT_EQ(Ports(ports, ports + count), expected);
        EXPECT_TRUE(std::all_of(ports + count, ports + 255, [](uint16_t p) { return p == 0; }));

        uint16_t small = static_cast<uint16_t>(expected.size() - 1);
        EXPECT_EQ(Enum_Com_Ports(ports, &small), ENUM_TOO_MANY);
        EXPECT_EQ(small, expected.size());
    }
    EXPECT_EQ(Listed(), before) << "the test leaves the key as it found it";
}

TEST(RealRegistry, EmptyListGivesTwo)
{
    if (!Listed().empty()) GTEST_SKIP() << "this prefix lists ports of its own";
    uint16_t ports[4] = {1, 2, 3, 4};
    uint16_t count = 4;
    EXPECT_EQ(Enum_Com_Ports(ports, &count), ENUM_NO_PORTS);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Ports(ports, ports + 4), (Ports{1, 2, 3, 4}));
}

TEST(RealRegistry, PortsOneToThreeAreNotReachable)
{
    // The prefix keeps the machine's own serial devices out of reach: COM1 is
    // an empty folder there (opening it is refused, ERROR_ACCESS_DENIED, which
    // the probe takes for a port in use), COM2 and COM3 do not exist.
    for (uint16_t n : {1, 2, 3}) {
        std::string path = "\\\\.\\COM" + std::to_string(n);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD error = GetLastError();
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << path;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        EXPECT_EQ(Probe_Com_Port(n, PROBE_RS232), error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE)
            << path << " error " << error;
    }
}

} // namespace
