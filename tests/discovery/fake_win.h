#pragma once
// A stand-in for the platform seam that plays the SERIALCOMM key, the version
// call and a set of serial ports (a boot loader behind some of them), and
// records every call the discovery code makes.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "serial/win_api.h"

struct FakeValue {
    std::string name;
    DWORD type = REG_SZ;
    std::string data;             // bytes as stored; add the '\0' yourself for a terminated string
    LONG result = ERROR_SUCCESS;  // anything else: RegEnumValueA fails on this value
};

// Makes a REG_SZ value whose data is the text and its terminating zero.
FakeValue Sz(const std::string& name, const std::string& text);

struct FakePort {
    DWORD open_error = 0;          // CreateFileA fails with this error when not 0
    BOOL props_ok = TRUE;          // GetCommProperties succeeds
    DWORD sub_type = PST_RS232;    // dwProvSubType it reports
    bool boot_loader = false;      // answers the sync; otherwise the line stays silent
};

struct RegEnumCall {
    DWORD index;
    DWORD name_capacity;  // *name_len on entry
    DWORD data_capacity;  // *data_len on entry
    bool reserved_null;
    bool type_given;
    bool data_given;
};

class FakeWin : public WinApi {
public:
    FakeWin();   // installs itself with Set_Win
    ~FakeWin() override;

    // Registry
    LONG open_result = ERROR_SUCCESS;
    std::vector<FakeValue> values;
    LONG end_result = ERROR_NO_MORE_ITEMS;
    // Version
    BOOL version_ok = TRUE;
    DWORD platform = VER_PLATFORM_WIN32_NT;
    // Ports by number; a number not here fails to open with ERROR_FILE_NOT_FOUND.
    std::map<uint16_t, FakePort> ports;
    // Called as each RegOpenKeyExA starts (once a pass of the search): a test
    // watches the search from here and changes the scene.
    std::function<void()> on_walk;

    // What was called
    std::vector<std::string> log;          // "open 5", "close 5", "sleep 20", "walk", "version", ...
    std::vector<RegEnumCall> enum_calls;
    int walks = 0;                          // RegOpenKeyExA calls
    int key_closes = 0;
    HKEY opened_root = nullptr;
    std::string opened_path;
    DWORD opened_options = 0xFFFFFFFF;
    REGSAM opened_access = 0;
    DWORD version_size = 0;                 // dwOSVersionInfoSize given
    DWORD version_preset = 0;               // dwPlatformId on entry
    std::vector<std::string> create_paths;  // every CreateFileA path
    bool create_args_ok = true;             // access, share, disposition as the ports need
    int open_handles() const { return static_cast<int>(open_.size()); }
    std::vector<uint16_t> Opened() const;   // ports opened, in order

    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                       DWORD disposition, DWORD flags, HANDLE templ) override;
    BOOL GetCommState(HANDLE h, DCB* dcb) override;
    BOOL SetCommState(HANDLE h, DCB* dcb) override;
    BOOL SetupComm(HANDLE h, DWORD in_queue, DWORD out_queue) override;
    BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) override;
    BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) override;
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov) override;
    BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) override;
    BOOL PurgeComm(HANDLE h, DWORD flags) override;
    BOOL GetCommProperties(HANDLE h, COMMPROP* prop) override;
    DWORD GetLastError() override;
    BOOL CloseHandle(HANDLE h) override;
    void Sleep(DWORD ms) override;
    LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result) override;
    LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                       DWORD* type, BYTE* data, DWORD* data_len) override;
    LONG RegCloseKey(HKEY key) override;
    BOOL GetVersionExA(OSVERSIONINFOA* info) override;

private:
    struct Line {
        uint16_t port;
        std::deque<uint8_t> to_host;
    };
    Line* Find(HANDLE h);
    bool Answers(uint16_t port);

    std::map<HANDLE, Line> open_;
    uintptr_t next_handle_ = 0x1000;
    DWORD last_error_ = 0;
    HKEY const key_ = reinterpret_cast<HKEY>(0x4242);
};
