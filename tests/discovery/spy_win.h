#pragma once
// The real platform with a recorder in front: the search runs against Wine's
// registry and ports unchanged, and the test sees each pass (one walk of the
// port list), what it listed, and when each port was opened and closed.
#include <functional>
#include <string>
#include <vector>

#include "serial/win_api.h"

class SpyWin : public WinApi {
public:
    struct Pass {
        DWORD start_ms;
        std::vector<std::string> listed;  // REG_SZ data of the key's values, as read
    };
    struct PortEvent {
        DWORD ms;
        bool open;         // else closed
        std::string path;  // "\\.\COMn"
    };

    SpyWin();   // installs itself with Set_Win
    ~SpyWin() override;

    std::vector<Pass> passes;
    std::vector<PortEvent> port_events;  // opens that succeeded, and their closes
    // Called as each pass begins, before its walk (the pass already counted).
    std::function<void()> on_pass;

    // The 1-based pass in which data "COMn" was first read; 0 if never.
    int First_Listing(const std::string& com_name) const;
    std::vector<std::string> Opened() const;

    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                       DWORD disposition, DWORD flags, HANDLE templ) override;
    BOOL CloseHandle(HANDLE h) override;
    LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result) override;
    LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                       DWORD* type, BYTE* data, DWORD* data_len) override;

private:
    std::vector<std::pair<HANDLE, std::string>> open_;
};
