#include "tests/serial/fake_win.h"

#include <algorithm>
#include <cstdio>

#include "vcl/application.h"
#include "vcl/progress_bar.h"

namespace {
FakeWin* g_fake = nullptr;

void Record_Pump()
{
    if (g_fake) g_fake->calls.push_back("pump");
}

std::string Handle_Text(HANDLE h)
{
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
    return text;
}
} // namespace

std::vector<uint8_t> Hex(const std::string& text)
{
    std::vector<uint8_t> bytes;
    unsigned value = 0;
    int digits = 0;
    for (char c : text + " ") {
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (d >= 0) {
            value = value * 16 + d;
            ++digits;
        } else if (digits > 0) {
            bytes.push_back(static_cast<uint8_t>(value));
            value = 0;
            digits = 0;
        }
    }
    return bytes;
}

std::string Hex_Text(const uint8_t* bytes, size_t count)
{
    std::string text;
    char part[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(part, sizeof(part), i ? " %02X" : "%02X", bytes[i]);
        text += part;
    }
    return text;
}

FakeWin::FakeWin() : previous_(&Win()), previous_fake_(g_fake)
{
    g_fake = this;
    Set_Win(this);
    TApplication::Pump_Hook = Record_Pump;
    state.DCBlength = sizeof(DCB);
}

FakeWin::~FakeWin()
{
    g_fake = previous_fake_;
    if (!g_fake) TApplication::Pump_Hook = nullptr;
    Set_Win(previous_);
}

HANDLE FakeWin::Open_Handle()
{
    HANDLE h = reinterpret_cast<HANDLE>(next_handle_++);
    open_.push_back(h);
    return h;
}

bool FakeWin::Is_Open(HANDLE h) const { return std::find(open_.begin(), open_.end(), h) != open_.end(); }

std::vector<std::string> FakeWin::Calls_Without_Pumps() const
{
    std::vector<std::string> out;
    for (const std::string& c : calls)
        if (c != "pump") out.push_back(c);
    return out;
}

void FakeWin::Check(HANDLE h)
{
    if (!Is_Open(h)) ++stray_handle_calls;
}

void FakeWin::Say(const std::string& entry)
{
    dialog.push_back(entry);
    bar.push_back(watch_bar ? watch_bar->Position() : -1);
}

HANDLE FakeWin::CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                            DWORD flags, HANDLE templ)
{
    char text[256];
    std::snprintf(text, sizeof(text), "CreateFileA %s %08lX %lu %s %lu %lu %s", name, access, share,
                  sa ? "sa" : "null", disposition, flags, templ ? "templ" : "null");
    calls.push_back(text);
    return create_ok ? Open_Handle() : INVALID_HANDLE_VALUE;
}

BOOL FakeWin::GetCommState(HANDLE h, DCB* dcb)
{
    Check(h);
    calls.push_back("GetCommState");
    if (!get_state_ok) return FALSE;
    *dcb = state;
    return TRUE;
}

BOOL FakeWin::SetCommState(HANDLE h, DCB* dcb)
{
    Check(h);
    calls.push_back("SetCommState");
    set_state = *dcb;
    return set_state_ok;
}

BOOL FakeWin::SetupComm(HANDLE h, DWORD in_queue, DWORD out_queue)
{
    Check(h);
    calls.push_back("SetupComm " + std::to_string(in_queue) + " " + std::to_string(out_queue));
    return setup_ok;
}

BOOL FakeWin::SetCommTimeouts(HANDLE h, COMMTIMEOUTS* t)
{
    Check(h);
    calls.push_back("SetCommTimeouts " + std::to_string(t->ReadIntervalTimeout) + " " +
                    std::to_string(t->ReadTotalTimeoutMultiplier) + " " +
                    std::to_string(t->ReadTotalTimeoutConstant) + " " +
                    std::to_string(t->WriteTotalTimeoutMultiplier) + " " +
                    std::to_string(t->WriteTotalTimeoutConstant));
    if (!timeouts_ok) return FALSE;
    read_timeout_ = t->ReadTotalTimeoutConstant;
    timeouts_set_ = true;
    return TRUE;
}

BOOL FakeWin::ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov)
{
    Check(h);
    calls.push_back(std::string("ReadFile ") + std::to_string(count) + (ov ? " overlapped" : ""));
    std::string timeout = timeouts_set_ ? " /" + std::to_string(read_timeout_) : " /unset";
    *read = 0;
    if (!read_ok) {
        Say("< failed" + timeout);
        return FALSE;
    }
    DWORD n = std::min<DWORD>(count, static_cast<DWORD>(rx.size()));
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (DWORD i = 0; i < n; ++i) {
        out[i] = rx.front();
        rx.pop_front();
    }
    *read = n;
    Say("< " + (n ? Hex_Text(out, n) : std::string("--")) + timeout);
    return TRUE;
}

BOOL FakeWin::WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov)
{
    Check(h);
    calls.push_back(std::string("WriteFile ") + std::to_string(count) + (ov ? " overlapped" : ""));
    const int index = writes_++;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    *written = 0;
    if (index == fail_write_at) {
        Say("> failed");
        return FALSE;
    }
    DWORD n = (index == short_write_at && count > 0) ? count - 1 : count;
    tx.insert(tx.end(), in, in + n);
    *written = n;
    Say(count <= 8 && count > 0 ? "> " + Hex_Text(in, count) : "> " + std::to_string(count) + " bytes");
    return TRUE;
}

BOOL FakeWin::ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat)
{
    Check(h);
    calls.push_back("ClearCommError");
    Say("queue");
    if (!clear_ok) return FALSE;
    if (errors) *errors = line_errors;
    line_errors = 0;
    if (stat) {
        *stat = COMSTAT{};
        stat->cbInQue = static_cast<DWORD>(rx.size());
    }
    return TRUE;
}

BOOL FakeWin::PurgeComm(HANDLE h, DWORD flags)
{
    Check(h);
    calls.push_back("PurgeComm " + std::to_string(flags));
    Say("purge " + std::to_string(flags));
    if (!purge_ok) return FALSE;
    if (flags & PURGE_RXCLEAR) rx.clear();
    return TRUE;
}

BOOL FakeWin::CloseHandle(HANDLE h)
{
    Check(h);
    calls.push_back("CloseHandle " + Handle_Text(h));
    open_.erase(std::remove(open_.begin(), open_.end(), h), open_.end());
    return close_ok;
}

void FakeWin::Sleep(DWORD ms)
{
    calls.push_back("Sleep " + std::to_string(ms));
    Say("sleep " + std::to_string(ms));
}
