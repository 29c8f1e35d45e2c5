#include "fake_win.h"

#include <algorithm>
#include <cstring>

FakeValue Sz(const std::string& name, const std::string& text)
{
    return FakeValue{name, REG_SZ, text + '\0', ERROR_SUCCESS};
}

FakeWin::FakeWin() { Set_Win(this); }
FakeWin::~FakeWin() { Set_Win(nullptr); }

std::vector<uint16_t> FakeWin::Opened() const
{
    std::vector<uint16_t> ports;
    for (const std::string& entry : log)
        if (entry.rfind("open ", 0) == 0) ports.push_back(static_cast<uint16_t>(std::stoi(entry.substr(5))));
    return ports;
}

FakeWin::Line* FakeWin::Find(HANDLE h)
{
    auto it = open_.find(h);
    return it == open_.end() ? nullptr : &it->second;
}

bool FakeWin::Answers(uint16_t port)
{
    return ports[port].boot_loader;
}

HANDLE FakeWin::CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                            DWORD disposition, DWORD flags, HANDLE templ)
{
    std::string path = name ? name : "";
    create_paths.push_back(path);
    if (access != (GENERIC_READ | GENERIC_WRITE) || share != 0 || sa || disposition != OPEN_EXISTING ||
        flags != 0 || templ)
        create_args_ok = false;

    const std::string stem = "\\\\.\\COM";
    auto it = ports.end();
    if (path.rfind(stem, 0) == 0 && path.size() > stem.size() && path.size() <= stem.size() + 5 &&
        std::all_of(path.begin() + stem.size(), path.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        unsigned long n = std::stoul(path.substr(stem.size()));
        // No leading zeros: "\\.\COM05" is not the path of port 5.
        if (n <= 0xFFFF && std::to_string(n) == path.substr(stem.size())) it = ports.find(static_cast<uint16_t>(n));
    }
    if (it == ports.end() || it->second.open_error != 0) {
        last_error_ = it == ports.end() ? ERROR_FILE_NOT_FOUND : it->second.open_error;
        log.push_back("fail " + path.substr(std::min(path.size(), stem.size())));
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = reinterpret_cast<HANDLE>(next_handle_++);
    open_[h] = Line{it->first, {}};
    log.push_back("open " + std::to_string(it->first));
    return h;
}

BOOL FakeWin::GetCommState(HANDLE h, DCB* dcb)
{
    if (!Find(h)) return FALSE;
    std::memset(dcb, 0, sizeof *dcb);
    dcb->DCBlength = sizeof *dcb;
    return TRUE;
}
BOOL FakeWin::SetCommState(HANDLE h, DCB*) { return Find(h) != nullptr; }
BOOL FakeWin::SetupComm(HANDLE h, DWORD, DWORD) { return Find(h) != nullptr; }
BOOL FakeWin::SetCommTimeouts(HANDLE h, COMMTIMEOUTS*) { return Find(h) != nullptr; }

BOOL FakeWin::ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED*)
{
    Line* line = Find(h);
    if (!line) return FALSE;
    DWORD n = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (n < count && !line->to_host.empty()) {
        out[n++] = line->to_host.front();
        line->to_host.pop_front();
    }
    *read = n; // fewer than asked: the time-out ran out
    return TRUE;
}

BOOL FakeWin::WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED*)
{
    Line* line = Find(h);
    if (!line) return FALSE;
    const auto* in = static_cast<const uint8_t*>(buffer);
    if (Answers(line->port)) {
        for (DWORD i = 0; i < count; ++i) {
            switch (in[i]) {
            case 0x58: case 0x52: case 0x56: case 0x54: line->to_host.push_back(in[i]); break; // echo
            case 0xA3: line->to_host.push_back(0x5C); break;
            case 0x55: line->to_host.push_back(0xAA); break;
            default: break;
            }
        }
    }
    *written = count;
    return TRUE;
}

BOOL FakeWin::ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat)
{
    Line* line = Find(h);
    if (!line) return FALSE;
    if (errors) *errors = 0;
    if (stat) {
        std::memset(stat, 0, sizeof *stat);
        stat->cbInQue = static_cast<DWORD>(line->to_host.size());
    }
    return TRUE;
}

BOOL FakeWin::PurgeComm(HANDLE h, DWORD)
{
    Line* line = Find(h);
    if (!line) return FALSE;
    line->to_host.clear();
    return TRUE;
}

BOOL FakeWin::GetCommProperties(HANDLE h, COMMPROP* prop)
{
    Line* line = Find(h);
    if (!line) return FALSE;
    const FakePort& p = ports[line->port];
    if (!p.props_ok) return FALSE;
    prop->dwProvSubType = p.sub_type;
    return TRUE;
}

DWORD FakeWin::GetLastError() { return last_error_; }

BOOL FakeWin::CloseHandle(HANDLE h)
{
    Line* line = Find(h);
    if (!line) {
        log.push_back("close ?");
        return FALSE;
    }
    log.push_back("close " + std::to_string(line->port));
    open_.erase(h);
    return TRUE;
}

void FakeWin::Sleep(DWORD ms) { log.push_back("sleep " + std::to_string(ms)); }

LONG FakeWin::RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result)
{
    opened_root = key;
    opened_path = sub_key ? sub_key : "";
    opened_options = options;
    opened_access = access;
    log.push_back("walk");
    ++walks;
    if (on_walk) on_walk();
    if (open_result != ERROR_SUCCESS) return open_result;
    *result = key_;
    return ERROR_SUCCESS;
}

// Plays RegEnumValueA as Windows does: a name or data that does not fit its
// buffer fails the call with ERROR_MORE_DATA.
LONG FakeWin::RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                            DWORD* type, BYTE* data, DWORD* data_len)
{
    enum_calls.push_back(RegEnumCall{index, name_len ? *name_len : 0, data_len ? *data_len : 0,
                                     reserved == nullptr, type != nullptr, data != nullptr});
    if (key != key_ || !name || !name_len) return ERROR_INVALID_HANDLE;
    if (index >= values.size()) return end_result;
    const FakeValue& v = values[index];
    if (v.result != ERROR_SUCCESS) return v.result;
    if (v.name.size() + 1 > *name_len) return ERROR_MORE_DATA;
    if (data_len && v.data.size() > *data_len) return ERROR_MORE_DATA;
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *name_len = static_cast<DWORD>(v.name.size());
    if (type) *type = v.type;
    if (data && data_len) std::memcpy(data, v.data.data(), v.data.size());
    if (data_len) *data_len = static_cast<DWORD>(v.data.size());
    return ERROR_SUCCESS;
}

LONG FakeWin::RegCloseKey(HKEY key)
{
    log.push_back("key closed");
    if (key == key_) ++key_closes;
    return ERROR_SUCCESS;
}

BOOL FakeWin::GetVersionExA(OSVERSIONINFOA* info)
{
    version_size = info->dwOSVersionInfoSize;
    version_preset = info->dwPlatformId;
    log.push_back("version");
    if (!version_ok) return FALSE;
    info->dwPlatformId = platform;
    return TRUE;
}
