// The host side of the handset boot loader's byte protocol; serial/PROTOCOL.md
// describes the exchanges. Every reply byte is read on its own with the
// time-out of that read, and the first fault ends the exchange with false.
#include <cstdint>

#include "serial/comport.h"
#include "serial/protocol.h"

namespace {

constexpr uint8_t HIGHEST_PERCENTAGE = 100;

// The image length goes out least significant byte first.
void Put_Length(uint8_t out[4], uint32_t length)
{
    out[0] = static_cast<uint8_t>(length);
    out[1] = static_cast<uint8_t>(length >> 8);
    out[2] = static_cast<uint8_t>(length >> 16);
    out[3] = static_cast<uint8_t>(length >> 24);
}

// XOR of the bytes at even offsets, then XOR of the bytes at odd offsets. An
// odd length pairs its last byte with a zero pad, which leaves the odd XOR as is.
void Put_Checksum(uint8_t out[2], const uint8_t* image, uint32_t length)
{
    uint8_t even = 0;
    uint8_t odd = 0;
    for (uint32_t i = 0; i + 1 < length; i += 2) {
        even ^= image[i];
        odd ^= image[i + 1];
    }
    if (length % 2 != 0) even ^= image[length - 1];
    out[0] = even;
    out[1] = odd;
}

} // namespace

bool CComport::Wait_Byte(uint8_t expected, uint32_t timeout_ms)
{
    // The boot loader may send any number of fillers while it is busy; each
    // one restarts the wait.
    for (;;) {
        uint8_t byte = 0;
        if (!Read_Data(&byte, 1, timeout_ms)) return false;
        if (byte == expected) return true;
        if (byte != FILLER_BYTE) return false;
    }
}

bool CComport::Command_Ack(uint8_t command)
{
    // Echo, then challenge and its complement, then confirm. No filler is
    // allowed anywhere in the handshake.
    uint8_t byte = 0;
    if (!Read_Data(&byte, 1, ECHO_TIMEOUT_MS) || byte != command) return false;
    if (!Write_Data(&ACK_CHALLENGE, 1)) return false;
    if (!Read_Data(&byte, 1, ACK_RESPONSE_TIMEOUT_MS) || byte != ACK_RESPONSE) return false;
    return Write_Data(&ACK_CONFIRM, 1);
}

bool CComport::Sync_Target()
{
    // Fifty clean exchanges in a row tell a boot loader from line noise; the
    // first miss gives up.
    uint8_t exchanges = 0;
    do {
        if (!Write_Data(&SYNC_COMMAND, 1)) return false;
        if (!Command_Ack(SYNC_COMMAND)) return false;
        if (!Write_Data(&SYNC_PROBE, 1)) return false;
        uint8_t reply = 0;
        if (!Read_Data(&reply, 1, SYNC_REPLY_TIMEOUT_MS) || reply != SYNC_REPLY) return false;
        ++exchanges;
    } while (exchanges < SYNC_EXCHANGES);
    return true;
}

bool CComport::Erase_Flash(uint32_t length)
{
    Progress_Begin(HIGHEST_PERCENTAGE);
    if (!Write_Data(&ERASE_COMMAND, 1)) return false;
    if (!Command_Ack(ERASE_COMMAND)) return false;
    uint8_t field[4];
    Put_Length(field, length);
    if (!Write_Data(field, sizeof(field))) return false;

    // The boot loader reports percentages while it erases, not necessarily
    // rising and not necessarily starting above 0; the bar shows the highest.
    // A filler byte is not special here: 0x55 is 85 percent.
    uint8_t last = 0;
    for (;;) {
        uint8_t byte = 0;
        if (!Read_Data(&byte, 1, ERASE_PROGRESS_TIMEOUT_MS)) return false;
        if (byte <= HIGHEST_PERCENTAGE) {
            if (byte > last) {
                Progress_Step(byte - last);
                last = byte;
            }
            continue;
        }
        if (byte != COMPLETE_REPLY) return false;
        // Whatever the boot loader sent after its reply would spoil the first
        // acknowledgement of the image transfer.
        if (Get_InQueue() != 0 && !Purge_Port()) return false;
        return true;
    }
}

bool CComport::Send_Data(uint32_t length, const uint8_t* image, uint32_t block_size, uint8_t checksum_flag)
{
    if (block_size == 0) return false;
    // A missing image is a caller's fault; nothing may be read through it.
    static const uint8_t no_image = 0;
    if (image == nullptr) {
        if (length != 0) return false;
        image = &no_image;
    }

    Progress_Begin(static_cast<int32_t>(length));
    // No command byte: this directly follows an erase of the same length.
    uint8_t field[4];
    Put_Length(field, length);
    if (!Write_Data(field, sizeof(field))) return false;
    Delay(DATA_PAUSE_MS);

    const uint32_t blocks = length / block_size;
    const uint32_t tail = length % block_size;
    uint32_t offset = 0; // never beyond length: blocks * block_size <= length
    for (uint32_t i = 0; i < blocks; ++i, offset += block_size) {
        if (!Write_Data(image + offset, block_size)) return false;
        if (!Wait_Byte(BLOCK_ACK, BLOCK_ACK_TIMEOUT_MS)) return false;
        Progress_Step(static_cast<int32_t>(block_size));
    }
    // The tail is never acknowledged; it goes out even when empty.
    if (!Write_Data(image + offset, tail)) return false;
    Progress_Step(static_cast<int32_t>(tail));

    if (checksum_flag == 1) {
        uint8_t checksum[2];
        Put_Checksum(checksum, image, length);
        if (!Write_Data(checksum, sizeof(checksum))) return false;
    }
    return Wait_Byte(COMPLETE_REPLY, COMPLETE_TIMEOUT_MS);
}

bool CComport::Get_National_Code(uint8_t& code)
{
    if (!Write_Data(&READ_NATIONAL_COMMAND, 1)) return false;
    if (!Command_Ack(READ_NATIONAL_COMMAND)) return false;
    // Read aside so that a failed read leaves the caller's byte as it was.
    uint8_t byte = 0;
    if (!Read_Data(&byte, 1, NATIONAL_CODE_TIMEOUT_MS)) return false;
    code = byte;
    return true;
}

bool CComport::Set_National_Code(uint8_t value)
{
    if (!Write_Data(&WRITE_NATIONAL_COMMAND, 1)) return false;
    if (!Command_Ack(WRITE_NATIONAL_COMMAND)) return false;
    // The boot loader needs a moment after the handshake before the value.
    Delay(DATA_PAUSE_MS);
    return Write_Data(&value, 1);
}

bool CComport::Send_Finish()
{
    return Write_Data(&FINISH_COMMAND, 1);
}
