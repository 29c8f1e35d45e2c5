#include "spy_win.h"

#include <algorithm>
#include <cstring>

SpyWin::SpyWin() { Set_Win(this); }
SpyWin::~SpyWin() { Set_Win(nullptr); }

int SpyWin::First_Listing(const std::string& com_name) const
{
    for (size_t i = 0; i < passes.size(); ++i)
        if (std::count(passes[i].listed.begin(), passes[i].listed.end(), com_name)) return static_cast<int>(i + 1);
    return 0;
}

std::vector<std::string> SpyWin::Opened() const
{
    std::vector<std::string> paths;
    for (const PortEvent& e : port_events)
        if (e.open) paths.push_back(e.path);
    return paths;
}

HANDLE SpyWin::CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                           DWORD disposition, DWORD flags, HANDLE templ)
{
    HANDLE h = WinApi::CreateFileA(name, access, share, sa, disposition, flags, templ);
    if (h != INVALID_HANDLE_VALUE) {
        open_.emplace_back(h, name);
        port_events.push_back(PortEvent{GetTickCount(), true, name});
    }
    return h;
}

BOOL SpyWin::CloseHandle(HANDLE h)
{
    auto it = std::find_if(open_.begin(), open_.end(), [h](const auto& entry) { return entry.first == h; });
    if (it != open_.end()) {
        port_events.push_back(PortEvent{GetTickCount(), false, it->second});
        open_.erase(it);
    }
    return WinApi::CloseHandle(h);
}

LONG SpyWin::RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result)
{
    passes.push_back(Pass{GetTickCount(), {}});
    if (on_pass) on_pass();
    return WinApi::RegOpenKeyExA(key, sub_key, options, access, result);
}

LONG SpyWin::RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                           DWORD* type, BYTE* data, DWORD* data_len)
{
    LONG result = WinApi::RegEnumValueA(key, index, name, name_len, reserved, type, data, data_len);
    if (result == ERROR_SUCCESS && type && *type == REG_SZ && data && data_len && !passes.empty())
        passes.back().listed.emplace_back(reinterpret_cast<const char*>(data),
                                          strnlen(reinterpret_cast<const char*>(data), *data_len));
    return result;
}
