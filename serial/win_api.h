#pragma once
// The platform seam: every kernel32/advapi32 call that the serial link and the
// port discovery make goes through Win(). In the program it is a WinApi whose
// methods forward to Win32 unchanged; a test installs a subclass that scripts
// the answers and records the calls. Nothing above this header knows which.
#include <windows.h>

class WinApi {
public:
    virtual ~WinApi() = default;

    // Serial communications
    virtual HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD disposition, DWORD flags, HANDLE templ);
    virtual BOOL GetCommState(HANDLE h, DCB* dcb);
    virtual BOOL SetCommState(HANDLE h, DCB* dcb);
    virtual BOOL SetupComm(HANDLE h, DWORD in_queue, DWORD out_queue);
    virtual BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts);
    virtual BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov);
    virtual BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov);
    virtual BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat);
    virtual BOOL PurgeComm(HANDLE h, DWORD flags);
    virtual BOOL GetCommProperties(HANDLE h, COMMPROP* prop);
    virtual DWORD GetLastError();
    virtual BOOL CloseHandle(HANDLE h);
    virtual void Sleep(DWORD ms);

    // Registry and version
    virtual LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result);
    virtual LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved,
                               DWORD* type, BYTE* data, DWORD* data_len);
    virtual LONG RegCloseKey(HKEY key);
    virtual BOOL GetVersionExA(OSVERSIONINFOA* info);
};

// The seam in force.
WinApi& Win();
// Installs a stand-in (tests only); nullptr puts the real platform back.
void Set_Win(WinApi* api);
