#pragma once
// The real platform with a recorder in front, for the search benchmark: each
// pass of the search (one read of the port list), the pass that first lists
// a given port, when that port was opened and when the sync began on it.
#include <string>
#include <vector>

#include "serial/win_api.h"

class SearchRecorder : public WinApi {
public:
    // Watches for data "COMn" in the list and for opens of "\\.\COMn".
    explicit SearchRecorder(int watched_port);  // installs itself with Set_Win
    ~SearchRecorder() override;

    std::vector<double> pass_starts;  // Seconds() at each pass's read of the list
    int first_listing_pass = 0;       // 1-based; 0 while not listed
    double watched_open = 0;          // Seconds() of the last open of the port that succeeded
    double watched_first_write = 0;   // Seconds() of the first write to it after that open (the sync's start)

    LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, HKEY* result) override;
    LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* name_len, DWORD* reserved, DWORD* type,
                       BYTE* data, DWORD* data_len) override;
    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                       DWORD flags, HANDLE templ) override;
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov) override;

private:
    std::string com_name_;
    std::string path_;
    HANDLE watched_ = INVALID_HANDLE_VALUE;
};
