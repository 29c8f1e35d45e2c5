#pragma once
// Bytes of the handset boot loader's protocol (see serial/PROTOCOL.md).
#include <cstdint>

constexpr uint8_t SYNC_COMMAND = 0x58;           // host: opens each sync exchange ('X')
constexpr uint8_t SYNC_PROBE = 0x55;             // host: ends each sync exchange ('U')
constexpr uint8_t SYNC_REPLY = 0xAA;             // device: complement of SYNC_PROBE
constexpr uint8_t ACK_CHALLENGE = 0xA3;          // host: second step of the handshake
constexpr uint8_t ACK_RESPONSE = 0x5C;           // device: complement of ACK_CHALLENGE
constexpr uint8_t ACK_CONFIRM = 0xA5;            // host: last step of the handshake
constexpr uint8_t ERASE_COMMAND = 0x56;          // host: erase for the length that follows ('V')
constexpr uint8_t READ_NATIONAL_COMMAND = 0x52;  // host: read the national code ('R')
constexpr uint8_t WRITE_NATIONAL_COMMAND = 0x54; // host: write the national code ('T')
constexpr uint8_t FINISH_COMMAND = 0x60;         // host: last byte of a run, no handshake ('`')
constexpr uint8_t BLOCK_ACK = 0xAA;              // device: a full block arrived
constexpr uint8_t COMPLETE_REPLY = 0xA5;         // device: erase finished / image accepted
constexpr uint8_t FILLER_BYTE = 0x55;            // device: skipped while waiting for an ack

// Read time-outs in milliseconds; each applies to one single-byte read.
constexpr uint32_t ECHO_TIMEOUT_MS = 3000;
constexpr uint32_t ACK_RESPONSE_TIMEOUT_MS = 3000;
constexpr uint32_t SYNC_REPLY_TIMEOUT_MS = 100;
constexpr uint32_t ERASE_PROGRESS_TIMEOUT_MS = 3000;
constexpr uint32_t BLOCK_ACK_TIMEOUT_MS = 2000;
constexpr uint32_t COMPLETE_TIMEOUT_MS = 4000;
constexpr uint32_t NATIONAL_CODE_TIMEOUT_MS = 1000;

constexpr int SYNC_EXCHANGES = 50;    // sync exchanges in a row that make a sync
constexpr uint32_t DATA_PAUSE_MS = 20; // after the image length, after the write-code handshake
