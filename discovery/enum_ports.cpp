#include "discovery/enum_ports.h"

#include <algorithm>
#include <cstdio>

#include "serial/win_api.h"

namespace {

const char SERIALCOMM_KEY[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr REGSAM SERIALCOMM_ACCESS = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr DWORD NAME_CAPACITY = 512; // characters, terminating zero included
constexpr DWORD DATA_CAPACITY = 512; // bytes

// ASCII only: the texts compared are device and port names, and a locale's
// case rules (code page 950 lead bytes) must not enter into it.
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Starts_With_No_Case(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (Lower(*text) != Lower(*prefix)) return false; // also stops at the end of text
    return true;
}

bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// The number after "COM" in a name that Is_Com_Name accepted. Digits beyond
// what a port number holds make no port at all: cutting them down to 16 bits
// would name some other, real port.
bool Com_Number(const char* name, uint16_t& port)
{
    uint32_t value = 0;
    for (const char* p = name + 3; *p; ++p) {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > 0xFFFF) return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

bool Is_Nt_Family()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA); // 148
    info.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;    // what a failed call leaves us with
    return Win().GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

bool Is_Com_Name(const char* text)
{
    if (!text || !Starts_With_No_Case(text, "com") || text[3] == '\0') return false;
    for (const char* p = text + 3; *p; ++p)
        if (!Is_Digit(*p)) return false;
    return true;
}

bool Probe_Com_Port(uint16_t port, uint32_t sub_type)
{
    char path[16];
    std::snprintf(path, sizeof path, "\\\\.\\COM%hu", port);
    HANDLE h = Win().CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // Held open by another program, or a driver that is there but
        // refuses: the port exists all the same.
        DWORD error = Win().GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE;
    }
    bool present = true;
    if (sub_type != 0) {
        COMMPROP prop = {};
        // A driver that cannot report its type gets the benefit of the doubt.
        if (Win().GetCommProperties(h, &prop)) present = prop.dwProvSubType == sub_type;
    }
    Win().CloseHandle(h);
    return present;
}

int Enum_Ports_Registry(std::vector<uint16_t>& list)
{
    list.clear();
    HKEY key = nullptr;
    if (Win().RegOpenKeyExA(HKEY_LOCAL_MACHINE, SERIALCOMM_KEY, 0, SERIALCOMM_ACCESS, &key) != ERROR_SUCCESS)
        return 1;

    // NT drivers name their values after the device ("\Device\Serial0");
    // the 9x family names them after the port.
    const bool nt = Is_Nt_Family();
    const char* prefix = nt ? "\\Device\\" : "COM";

    // One byte more than the capacity we report: room for a terminating zero
    // that the registry need not have stored.
    char name[NAME_CAPACITY + 1];
    BYTE data[DATA_CAPACITY + 1];
    for (DWORD index = 0;; ++index) {
        DWORD name_len = NAME_CAPACITY;
        DWORD data_len = DATA_CAPACITY;
        DWORD type = REG_NONE;
        if (Win().RegEnumValueA(key, index, name, &name_len, nullptr, &type, data, &data_len) != ERROR_SUCCESS)
            break;
        name[std::min(name_len, NAME_CAPACITY)] = '\0';
        data[std::min(data_len, DATA_CAPACITY)] = '\0';
        const char* text = reinterpret_cast<const char*>(data);

        uint16_t port = 0;
        if (type != REG_SZ || !Starts_With_No_Case(name, prefix) || !Is_Com_Name(text) || !Com_Number(text, port))
            continue;
        // On NT only COM1..COM3, the ports a PC may list whether or not
        // anything answers there, are checked for presence; every other port
        // is taken as listed. On 9x every listed port is checked.
        bool legacy = port >= 1 && port <= 3;
        if ((nt && !legacy) || Probe_Com_Port(port, PROBE_RS232)) list.push_back(port);
    }
    Win().RegCloseKey(key);
    return 0;
}

int Enum_Com_Ports(uint16_t* ports, uint16_t* count)
{
    if (!ports || !count || *count == 0) return ENUM_BAD_ARGS;

    std::vector<uint16_t> list;
    if (Enum_Ports_Registry(list) != 0) return ENUM_KEY_FAILED;
    if (list.empty()) return ENUM_NO_PORTS;
    if (list.size() > *count) {
        *count = static_cast<uint16_t>(std::min<size_t>(list.size(), 0xFFFF));
        return ENUM_TOO_MANY;
    }
    std::fill(ports, ports + *count, uint16_t{0});
    std::copy(list.begin(), list.end(), ports);
    *count = static_cast<uint16_t>(list.size());
    std::sort(ports, ports + *count);
    return ENUM_OK;
}
