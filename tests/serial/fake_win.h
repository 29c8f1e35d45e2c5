#pragma once
// A scripted stand-in for the platform seam. While it lives it is the seam in
// force and the application's message pump reports to it (fakes nest: the
// previous one comes back when it goes). It plays a device whose bytes wait
// in `rx`: a read takes what it asks for, or all there is (which is how a read
// ends at its time-out). It records:
//   calls   every platform call with its exact arguments, and "pump" wherever
//           the application processed its messages;
//   dialog  the exchange as the protocol sees it: "> 58" (bytes written),
//           "< 58 /3000" (bytes read, with the total read time-out in force),
//           "< -- /100" (a read that got nothing), "sleep 20", "queue", "purge 12";
//   bar     the watched progress bar's position when each dialog entry happened.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "serial/win_api.h"

class TProgressBar;

class FakeWin : public WinApi {
public:
    FakeWin();
    ~FakeWin() override;

    // Script
    bool create_ok = true;
    bool get_state_ok = true;
    bool set_state_ok = true;
    bool setup_ok = true;
    bool timeouts_ok = true;
    bool read_ok = true;
    bool clear_ok = true;
    bool purge_ok = true;
    bool close_ok = true;
    int fail_write_at = -1;  // index of the WriteFile call that fails
    int short_write_at = -1; // index of the WriteFile call that writes one byte less
    DCB state = {};          // what GetCommState reports
    DWORD line_errors = 0;   // reported and cleared by the next ClearCommError
    std::deque<uint8_t> rx;  // bytes the device has sent
    const TProgressBar* watch_bar = nullptr;

    // Record
    std::vector<std::string> calls;
    std::vector<std::string> dialog;
    std::vector<int> bar;
    std::vector<uint8_t> tx; // every byte written, in order
    DCB set_state = {};      // what SetCommState was given
    int stray_handle_calls = 0; // calls on a handle that is not open

    // A handle that the fake treats as open, for tests that skip Open_Port.
    HANDLE Open_Handle();
    bool Is_Open(HANDLE h) const;
    void Receive(const std::vector<uint8_t>& bytes) { rx.insert(rx.end(), bytes.begin(), bytes.end()); }
    // The calls without the pumps.
    std::vector<std::string> Calls_Without_Pumps() const;

    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                       DWORD flags, HANDLE templ) override;
    BOOL GetCommState(HANDLE h, DCB* dcb) override;
    BOOL SetCommState(HANDLE h, DCB* dcb) override;
    BOOL SetupComm(HANDLE h, DWORD in_queue, DWORD out_queue) override;
    BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) override;
    BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) override;
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov) override;
    BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) override;
    BOOL PurgeComm(HANDLE h, DWORD flags) override;
    BOOL CloseHandle(HANDLE h) override;
    void Sleep(DWORD ms) override;

private:
    void Check(HANDLE h);
    void Say(const std::string& entry);

    WinApi* previous_;
    FakeWin* previous_fake_;
    std::vector<HANDLE> open_;
    uintptr_t next_handle_ = 0x100;
    DWORD read_timeout_ = 0;
    bool timeouts_set_ = false;
    int writes_ = 0;
};

// Bytes from hex text, e.g. Hex("58 5C AA").
std::vector<uint8_t> Hex(const std::string& text);
// Hex text of bytes, e.g. "58 5C AA".
std::string Hex_Text(const uint8_t* bytes, size_t count);
