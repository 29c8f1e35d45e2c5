#pragma once
// Where each step of an update run sits in the simulated handset's count of
// replies (0-based, in the order sent; fillers not counted), for a handset
// with the default erase progress and the smallest passing image.
#include <cstdint>

#include "tools/mkimage/image_maker.h"

namespace faults {

constexpr uint32_t BLOCK_SIZE = 4000;
constexpr uint32_t FULL_BLOCKS = static_cast<uint32_t>(MIN_PASSING_IMAGE_SIZE / BLOCK_SIZE);
constexpr uint32_t SYNC_EXCHANGES = 50;
constexpr uint32_t PROGRESS_BYTES = 11; // 0, 10, ... 100

// A sync exchange answers with the echo, 0x5C and 0xAA.
constexpr uint32_t Sync_Echo(uint32_t exchange) { return exchange * 3; }
constexpr uint32_t Sync_Response(uint32_t exchange) { return exchange * 3 + 1; }
constexpr uint32_t Sync_Reply(uint32_t exchange) { return exchange * 3 + 2; }
constexpr uint32_t READ_ECHO = SYNC_EXCHANGES * 3;
constexpr uint32_t READ_RESPONSE = READ_ECHO + 1;
constexpr uint32_t NATIONAL_CODE = READ_ECHO + 2;
constexpr uint32_t ERASE_ECHO = NATIONAL_CODE + 1;
constexpr uint32_t ERASE_RESPONSE = ERASE_ECHO + 1;
constexpr uint32_t Progress(uint32_t i) { return ERASE_RESPONSE + 1 + i; }
constexpr uint32_t ERASE_COMPLETE = Progress(PROGRESS_BYTES);
constexpr uint32_t Block_Ack(uint32_t block) { return ERASE_COMPLETE + 1 + block; }
constexpr uint32_t FINAL_REPLY = Block_Ack(FULL_BLOCKS);
// Only with national code 0xFE: the write command's handshake.
constexpr uint32_t WRITE_ECHO = FINAL_REPLY + 1;
constexpr uint32_t WRITE_RESPONSE = FINAL_REPLY + 2;

} // namespace faults
