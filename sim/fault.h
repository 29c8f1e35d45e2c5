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
    Late,             // late=MS@N: reply N goes out MS ms late
    Flood,            // flood=COUNT[:GAP]@N: COUNT filler bytes, GAP ms apart, before reply N
    Drop,             // drop=N: reply N is never sent; a new command is expected
    Hangup,           // hangup=N[+MS]: pull the cable in place of reply N, or MS ms after it
    Mute,             // mute=N: from reply N on, never send anything again
};

// A fault plays once, at the first moment that matches it.
struct Fault {
    FaultKind kind;
    uint32_t index = 0;          // block, exchange or reply number
    std::vector<uint8_t> bytes;  // the byte(s) sent instead
    bool played = false;
    uint32_t count = 0;          // filler bytes of a flood
    int64_t ms = 0;              // delay of a late reply, gap of a flood, wait before a hang-up
    bool after = false;          // a hang-up after the reply rather than in its place
};

// Parses one --fault FAULT; on failure returns nothing and sets error.
std::optional<Fault> ParseFault(std::string_view fault_text, std::string& error);

std::string_view FaultName(FaultKind kind);

}  // namespace x7sim
