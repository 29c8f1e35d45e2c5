#pragma once
#include <cstdint>

// The boot loader's protocol bytes, as the handset sees them.
namespace x7sim {

inline constexpr uint8_t SYNC_COMMAND = 0x58;
inline constexpr uint8_t SYNC_PROBE = 0x55;
inline constexpr uint8_t SYNC_REPLY = 0xAA;
inline constexpr uint8_t ACK_CHALLENGE = 0xA3;
inline constexpr uint8_t ACK_RESPONSE = 0x5C;
inline constexpr uint8_t ACK_CONFIRM = 0xA5;
inline constexpr uint8_t ERASE_COMMAND = 0x56;
inline constexpr uint8_t READ_NATIONAL_COMMAND = 0x52;
inline constexpr uint8_t WRITE_NATIONAL_COMMAND = 0x54;
inline constexpr uint8_t FINISH_COMMAND = 0x60;
inline constexpr uint8_t BLOCK_ACK = 0xAA;
inline constexpr uint8_t COMPLETE_REPLY = 0xA5;
inline constexpr uint8_t FILLER_BYTE = 0x55;

// Sent in place of COMPLETE_REPLY when the image checksum does not match.
inline constexpr uint8_t CHECKSUM_ERROR_REPLY = 0xEE;
// Default byte of the erase-fail fault: above 100, so no percentage.
inline constexpr uint8_t ERASE_ERROR_REPLY = 0xEE;

inline constexpr uint32_t DEFAULT_BLOCK_SIZE = 4000;

}  // namespace x7sim
