#include "search_recorder.h"

#include <cstring>

#include "bench_support.h"

SearchRecorder::SearchRecorder(int watched_port)
    : com_name_("COM" + std::to_string(watched_port)), path_(Port_Path(watched_port))
{
    Set_Win(this);
}

SearchRecorder::~SearchRecorder() { Set_Win(nullptr); }

LONG SearchRecorder::RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result)
{
    // The search opens the port list once a pass.
    if (key == HKEY_LOCAL_MACHINE && sub_key && _stricmp(sub_key, "HARDWARE\\DEVICEMAP\\SERIALCOMM") == 0)
        pass_starts.push_back(Seconds());
    return WinApi::RegOpenKeyExA(key, sub_key, options, access, result);
}

LONG SearchRecorder::RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                                   DWORD* type, BYTE* data, DWORD* data_len)
{
    const LONG status = WinApi::RegEnumValueA(key, index, name, name_len, reserved, type, data, data_len);
    if (status == ERROR_SUCCESS && first_listing_pass == 0 && data && data_len && *data_len >= com_name_.size() &&
        std::memcmp(data, com_name_.c_str(), com_name_.size()) == 0 &&
        (*data_len == com_name_.size() || data[com_name_.size()] == 0))
        first_listing_pass = static_cast<int>(pass_starts.size());
    return status;
}

HANDLE SearchRecorder::CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                   DWORD disposition, DWORD flags, HANDLE templ)
{
    HANDLE h = WinApi::CreateFileA(name, access, share, sa, disposition, flags, templ);
    if (h != INVALID_HANDLE_VALUE && name && path_ == name) {
        watched_open = Seconds();
        watched_first_write = 0;
        watched_ = h;
    }
    return h;
}

BOOL SearchRecorder::WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov)
{
    if (h == watched_ && watched_first_write == 0) watched_first_write = Seconds();
    return WinApi::WriteFile(h, buffer, count, written, ov);
}
