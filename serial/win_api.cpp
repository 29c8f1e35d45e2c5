#include "serial/win_api.h"

HANDLE WinApi::CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                           DWORD disposition, DWORD flags, HANDLE templ)
{
    return ::CreateFileA(name, access, share, sa, disposition, flags, templ);
}
BOOL WinApi::GetCommState(HANDLE h, DCB* dcb) { return ::GetCommState(h, dcb); }
BOOL WinApi::SetCommState(HANDLE h, DCB* dcb) { return ::SetCommState(h, dcb); }
BOOL WinApi::SetupComm(HANDLE h, DWORD in_queue, DWORD out_queue) { return ::SetupComm(h, in_queue, out_queue); }
BOOL WinApi::SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) { return ::SetCommTimeouts(h, timeouts); }
BOOL WinApi::ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov)
{
    return ::ReadFile(h, buffer, count, read, ov);
}
BOOL WinApi::WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov)
{
    return ::WriteFile(h, buffer, count, written, ov);
}
BOOL WinApi::ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) { return ::ClearCommError(h, errors, stat); }
BOOL WinApi::PurgeComm(HANDLE h, DWORD flags) { return ::PurgeComm(h, flags); }
BOOL WinApi::GetCommProperties(HANDLE h, COMMPROP* prop) { return ::GetCommProperties(h, prop); }
DWORD WinApi::GetLastError() { return ::GetLastError(); }
BOOL WinApi::CloseHandle(HANDLE h) { return ::CloseHandle(h); }
void WinApi::Sleep(DWORD ms) { ::Sleep(ms); }

LONG WinApi::RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result)
{
    return ::RegOpenKeyExA(key, sub_key, options, access, result);
}
LONG WinApi::RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                           DWORD* type, BYTE* data, DWORD* data_len)
{
    return ::RegEnumValueA(key, index, name, name_len, reserved, type, data, data_len);
}
LONG WinApi::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }
BOOL WinApi::GetVersionExA(OSVERSIONINFOA* info) { return ::GetVersionExA(info); }

namespace {
WinApi g_real;
WinApi* g_current = &g_real;
}

WinApi& Win() { return *g_current; }
void Set_Win(WinApi* api) { g_current = api ? api : &g_real; }
