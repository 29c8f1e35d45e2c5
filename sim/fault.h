#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace x7sim {

enum class FaultKind {
    EraseFail,        // erase-fail[=HEX]: a byte above 100 (not 0xA5) half way through the erase
    BlockNack,        // block-nack=K: no ack for full block K
    FinalReply,       // final-reply=HEX: this byte in place of COMPLETE_REPLY after the image
    SilentAfterSync,  // silent-after-sync: answer the sync, then nothing ever again
    HangupAtBlock,    // hangup-at-block=K: pull the cable as block K starts to arrive
    Garbage,          // garbage=HEX[@N]: these bytes in place of reply N (default 0)
    NoNationalReply,  // no-national-reply: handshake the read command, never send the code
    SyncMiss,         // sync-miss=K: leave out the SYNC_REPLY of sync exchange K
};

// A fault plays once, at the first moment that matches it.
struct Fault {
    FaultKind kind;
    uint32_t index = 0;          // block, exchange or reply number
    std::vector<uint8_t> bytes;  // the byte(s) sent instead
    bool played = false;
};

// Parses one --fault SPEC; on failure returns nothing and sets error.
std::optional<Fault> ParseFault(std::string_view spec, std::string& error);

std::string_view FaultName(FaultKind kind);

}  // namespace x7sim
