#pragma once
// The serial link to the handset: the one open port, the binding to the
// window's progress bar, and the boot loader protocol spoken over it.
#include <windows.h>

#include <cstdint>
#include <string>

class TProgressBar;

class CComport {
public:
    HANDLE Com_Handle;          // the open port, INVALID_HANDLE_VALUE when none
    TProgressBar* Progress_Bar; // not owned; null until attached

    CComport();
    ~CComport(); // closes nothing: the port outlives the object if left open
    CComport(const CComport&) = delete;
    CComport& operator=(const CComport&) = delete;

    // Port (serial/comport.cpp)
    bool Open_Port(const std::string& path);
    void Close_Port();
    bool Config_Port(int32_t baud_rate);
    bool Read_Data(void* buffer, uint32_t count, uint32_t timeout_ms);
    bool Write_Data(const void* buffer, uint32_t count);
    uint32_t Get_InQueue();
    bool Purge_Port();
    void Delay(uint32_t ms);

    // Progress bar (serial/comport_progress.cpp)
    bool Set_ProgressBar(TProgressBar* bar);
    bool Progress_Begin(int32_t maximum);
    bool Progress_Step(int32_t amount);

    // Boot loader protocol (serial/bootloader.cpp)
    bool Wait_Byte(uint8_t expected, uint32_t timeout_ms);
    bool Command_Ack(uint8_t command);
    bool Sync_Target();
    bool Erase_Flash(uint32_t length);
    bool Send_Data(uint32_t length, const uint8_t* image, uint32_t block_size, uint8_t checksum_flag);
    bool Get_National_Code(uint8_t& code);
    bool Set_National_Code(uint8_t value);
    bool Send_Finish();

    // Device search (discovery/find_device_port.cpp)
    bool Find_Device_Port(uint16_t& port);
};
