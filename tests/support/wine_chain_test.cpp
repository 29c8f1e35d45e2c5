// Proves the chain the integration tests stand on: a Windows program under
// Wine opens \\.\COMn, which Wine maps to the ports link, which the simulated
// handset points at its pty; the launcher starts and stops the simulator.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_handset.h"

namespace {

// A plain Win32 port: 115200 8N1, no flow control, a total read time-out.
class Port {
public:
    explicit Port(int number)
    {
        const std::string path = "\\\\.\\COM" + std::to_string(number);
        handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(handle_, &dcb);
        dcb.BaudRate = 115200;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        SetCommState(handle_, &dcb);
    }
    ~Port()
    {
        if (open()) CloseHandle(handle_);
    }
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Write(const std::vector<unsigned char>& bytes)
    {
        DWORD written = 0;
        return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    // Reads up to count bytes within timeout_ms; an empty result on failure.
    std::vector<unsigned char> Read(size_t count, DWORD timeout_ms = 1000)
    {
        COMMTIMEOUTS t{0, 0, timeout_ms, 0, 0};
        SetCommTimeouts(handle_, &t);
        std::vector<unsigned char> bytes(count);
        DWORD got = 0;
        if (!ReadFile(handle_, bytes.data(), static_cast<DWORD>(count), &got, nullptr)) got = 0;
        bytes.resize(got);
        return bytes;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using Bytes = std::vector<unsigned char>;

std::string Hex(const Bytes& bytes)
{
    std::string text;
    for (unsigned char b : bytes) text += std::to_string(b) + " ";
    return text;
}

TEST(WineChain, OneSyncExchangeThroughCom7)
{
    SimHandset sim({"--port", "7"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        Port port(7);
        ASSERT_TRUE(port.open()) << "CreateFileA \\\\.\\COM7: " << GetLastError();
        const std::vector<std::pair<Bytes, Bytes>> exchange = {
            {{0x58}, {0x58}}, {{0xA3}, {0x5C}}, {{0xA5}, {}}, {{0x55}, {0xAA}}};
        for (const auto& [send, expect] : exchange) {
            ASSERT_TRUE(port.Write(send));
            if (!expect.empty()) {
                EXPECT_EQ(Hex(port.Read(expect.size())), Hex(expect));
            }
        }
    }
    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    auto sync = sim.Events("sync");
    ASSERT_EQ(sync.size(), 1u);
    EXPECT_EQ(SimHandset::Field(sync[0], "count"), "1");
}

// Every byte value crosses the pty unchanged in both directions once the
// port is configured: no CR/LF translation, no flow control characters.
TEST(WineChain, EveryByteValuePassesBothWays)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    std::string stale;
    for (int i = 0; i < 256; ++i) {
        static const char* digits = "0123456789ABCDEF";
        stale += digits[i >> 4];
        stale += digits[i & 15];
    }
    SimHandset sim({"--port", "7", "--transfer-only", "--block", "128", "--stale", stale});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        Port port(7);
        ASSERT_TRUE(port.open());
        EXPECT_EQ(Hex(port.Read(256)), Hex(all)) << "device to host";

        ASSERT_TRUE(port.Write({0x00, 0x01, 0x00, 0x00}));  // 256 bytes
        Sleep(20);
        for (int block = 0; block < 2; ++block) {
            ASSERT_TRUE(port.Write(Bytes(all.begin() + block * 128, all.begin() + block * 128 + 128)));
            EXPECT_EQ(Hex(port.Read(1, 2000)), Hex({0xAA}));
        }
        ASSERT_TRUE(port.Write({0x00, 0x00}));  // XOR of 0,2,..,254 and of 1,3,..,255
        EXPECT_EQ(Hex(port.Read(1, 4000)), Hex({0xA5}));
    }
    ASSERT_TRUE(sim.Stop());
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    EXPECT_EQ(Hex(sim.Captured()), Hex(all)) << "host to device";
}

TEST(WineChain, PulledOutPortCannotBeOpenedAndHangUpFailsReads)
{
    SimHandset sim({"--port", "8", "--transfer-only", "--block", "16", "--fault", "hangup-at-block=1"});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        Port port(8);
        ASSERT_TRUE(port.open());
        ASSERT_TRUE(port.Write({64, 0, 0, 0}));
        Sleep(20);
        ASSERT_TRUE(port.Write(Bytes(16, 0x11)));
        EXPECT_EQ(Hex(port.Read(1, 2000)), Hex({0xAA}));
        port.Write(Bytes(16, 0x22));
        const DWORD start = GetTickCount();
        EXPECT_TRUE(port.Read(1, 2000).empty());
        EXPECT_LT(GetTickCount() - start, 3000u);
    }
    Sleep(100);
    Port again(8);
    EXPECT_FALSE(again.open()) << "the link should be gone";
    ASSERT_TRUE(sim.Stop());
    EXPECT_EQ(sim.Events("unplugged").size(), 1u);
}

TEST(WineChain, BadOptionsAreReportedAtOnce)
{
    const DWORD start = GetTickCount();
    SimHandset sim({"--port", "7", "--fault", "melt"});
    EXPECT_FALSE(sim.Started());
    EXPECT_NE(sim.Error().find("unknown fault"), std::string::npos) << sim.Error();
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(WineChain, RegisteredPortIsListedUntilStopped)
{
    auto listed = [] {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::string();
        char data[64] = {};
        DWORD size = sizeof data - 1, type = 0;
        LONG r = RegQueryValueExA(key, "\\Device\\X7Sim9", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        return r == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : std::string();
    };
    {
        SimHandset sim({"--port", "9", "--register"});
        ASSERT_TRUE(sim.Started()) << sim.Error();
        EXPECT_EQ(listed(), "COM9");
        ASSERT_TRUE(sim.Stop()) << sim.Error();
        EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    }
    EXPECT_EQ(listed(), "");
}

}  // namespace
