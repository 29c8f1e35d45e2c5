#include "serial/comport.h"

#include "serial/win_api.h"
#include "vcl/application.h"

namespace {
constexpr int32_t LINE_BAUD_RATE = 115200;
constexpr DWORD DRIVER_QUEUE_BYTES = 1024;
constexpr uint32_t SETTLE_MS = 100; // after new line settings, before the first byte
}

CComport::CComport() : Com_Handle(INVALID_HANDLE_VALUE), Progress_Bar(nullptr) {}

CComport::~CComport() {}

bool CComport::Open_Port(const std::string& path)
{
    Close_Port();
    // Not shared and not overlapped: every read and write blocks until it is done.
    Com_Handle = Win().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
    if (Com_Handle == INVALID_HANDLE_VALUE) return false;
    // From here on a failure leaves the port open; the next Open_Port or Close_Port closes it.
    if (!Config_Port(LINE_BAUD_RATE)) return false;
    if (!Win().SetupComm(Com_Handle, DRIVER_QUEUE_BYTES, DRIVER_QUEUE_BYTES)) return false;
    // Bytes left on the line from before the open would be read as replies.
    if (Get_InQueue() != 0 && !Purge_Port()) return false;
    return true;
}

void CComport::Close_Port()
{
    if (Com_Handle == INVALID_HANDLE_VALUE) return;
    Win().CloseHandle(Com_Handle);
    Com_Handle = INVALID_HANDLE_VALUE;
}

bool CComport::Config_Port(int32_t baud_rate)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    if (!Win().GetCommState(Com_Handle, &dcb)) return false;

    // 8N1 without any flow control. The boot loader drives no modem lines, so
    // DTR and RTS stay off; the XON/XOFF characters and limits are left as found.
    dcb.BaudRate = static_cast<DWORD>(baud_rate);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE; // 0x00 is a valid image byte and erase percentage
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE; // a line error must not make later reads fail
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;

    if (!Win().SetCommState(Com_Handle, &dcb)) return false;
    Delay(SETTLE_MS);
    return true;
}

bool CComport::Read_Data(void* buffer, uint32_t count, uint32_t timeout_ms)
{
    if (timeout_ms != 0) {
        // One total time-out for the whole read and no interval time-out, so a
        // read returns as soon as all bytes are in. Writes get no time-out.
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = 0;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = timeout_ms;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
        if (!Win().SetCommTimeouts(Com_Handle, &timeouts)) return false;
    }
    Application->ProcessMessages();
    DWORD read = 0;
    BOOL ok = Win().ReadFile(Com_Handle, buffer, count, &read, nullptr);
    return ok && read == count;
}

bool CComport::Write_Data(const void* buffer, uint32_t count)
{
    Application->ProcessMessages();
    DWORD written = 0;
    BOOL ok = Win().WriteFile(Com_Handle, buffer, count, &written, nullptr);
    return ok && written == count;
}

uint32_t CComport::Get_InQueue()
{
    Application->ProcessMessages();
    DWORD errors = 0;
    COMSTAT status = {};
    if (!Win().ClearCommError(Com_Handle, &errors, &status)) return 0;
    // After a line error the queue cannot be trusted; the call has cleared it.
    if (errors != 0) return 0;
    return status.cbInQue;
}

bool CComport::Purge_Port()
{
    return Win().PurgeComm(Com_Handle, PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

void CComport::Delay(uint32_t ms)
{
    Win().Sleep(ms);
}
