#include "fault_cases.h"

#include "handset_replies.h"
#include "serial/protocol.h"

namespace faults {
namespace {

// Read time-outs of the boot loader protocol, and the pause before the
// finish byte that follows a transfer whatever its result.
constexpr int64_t HANDSHAKE_MS = ECHO_TIMEOUT_MS;
constexpr int64_t SYNC_REPLY_MS = SYNC_REPLY_TIMEOUT_MS;
constexpr int64_t CODE_MS = NATIONAL_CODE_TIMEOUT_MS;
constexpr int64_t PROGRESS_MS = ERASE_PROGRESS_TIMEOUT_MS;
constexpr int64_t BLOCK_ACK_MS = BLOCK_ACK_TIMEOUT_MS;
constexpr int64_t COMPLETE_MS = COMPLETE_TIMEOUT_MS;
constexpr int64_t FINISH_PAUSE_MS = 1000;
// What a loaded machine may add to any bound.
constexpr int64_t SLACK_MS = 1500;

constexpr uint32_t SYNC_AT = 10;  // the sync exchange that goes wrong
constexpr uint32_t BLOCK_AT = 3;  // the block whose ack goes wrong
constexpr uint32_t PROGRESS_AT = 5;

// The program waits out the time-out, and then may still take `then` ms.
Bound Waits(int64_t timeout_ms, int64_t then = 0) { return {timeout_ms - 50, timeout_ms + then + SLACK_MS}; }
// The program reacts at once (after `then` ms of its own).
Bound At_Once(int64_t then = 0) { return {then > 0 ? then - 50 : 0, then + SLACK_MS}; }
// The reply comes late_ms late, inside the time-out: the program goes on when it comes.
Bound After(int64_t late_ms, int64_t then = 0) { return {late_ms + then - 50, late_ms + then + SLACK_MS}; }
// The cable pulled: under Wine a read then waits out its time-out like silence,
// so the program may take up to the time-out, but never longer.
Bound Within(int64_t timeout_ms, int64_t then = 0) { return {0, timeout_ms + then + SLACK_MS}; }
// Filler bytes are read one by one; a flood may take a while, without bound by design.
Bound Flood(int64_t allowed_ms, int64_t then = 0) { return {0, allowed_ms + then + SLACK_MS}; }

// The program's first byte after a fault, as the handset sees it.
constexpr int SYNC = 0x58;       // the next sync exchange, or the next pass
constexpr int ERASE = 0x56;      // the erase command: the run goes on
constexpr int CONFIRM = 0xA5;    // the handshake completes
constexpr int LENGTH_LOW = static_cast<int>(MIN_PASSING_IMAGE_SIZE & 0xFF); // the transfer starts
constexpr int WRITE = 0x54;      // the national code write
constexpr int FINISH = 0x60;     // the finish byte after the pause

std::vector<std::string> Fault(const std::string& fault_text) { return {"--fault", fault_text}; }
std::vector<std::string> Fault(const std::string& name, uint32_t reply) { return Fault(name + std::to_string(reply)); }
std::string N(uint32_t reply) { return std::to_string(reply); }
std::vector<std::string> With_Code_FE(std::vector<std::string> args)
{
    args.insert(args.end(), {"--national", "0xFE"});
    return args;
}

} // namespace

std::vector<Fault_Case> Campaign_Cases()
{
    const uint32_t echo = Sync_Echo(SYNC_AT), response = Sync_Response(SYNC_AT), sync = Sync_Reply(SYNC_AT);
    const uint32_t progress = Progress(PROGRESS_AT), ack = Block_Ack(BLOCK_AT);
    const int none = -1;
    std::vector<Fault_Case> cases = {
        // The sync: a failed pass closes the port and the search goes on with the next pass.
        {"sync", "silence", Fault("sync-miss=" + N(SYNC_AT)), "done+resync", Waits(SYNC_REPLY_MS), SYNC, 1},
        {"sync", "silence for good", Fault("mute=", echo), "searching", {}, none, 0, true, 5000, -1,
         HANDSHAKE_MS + SLACK_MS},
        {"sync", "wrong byte", Fault("garbage=0x12@", sync), "done+resync", At_Once(), SYNC, 1},
        {"sync", "flood", Fault("flood=2000@", echo), "done+resync", At_Once(), SYNC, 1},
        {"sync", "garbage", Fault("garbage=0x58,0x5C,0xAA,0x00@", response), "done+resync", At_Once(), SYNC, 1},
        // The port is gone from the list: passes without a port, the window serviced in their pauses.
        {"sync", "hang-up", Fault("hangup=", response), "searching", {}, none, 0, true, 3000, -1, SLACK_MS},
        {"sync", "late inside", Fault("late=60@", sync), "done", After(60), SYNC, 1},
        {"sync", "late outside", Fault("late=250@", sync), "done+resync", Waits(SYNC_REPLY_MS), SYNC, 1},
        // The late echo is still on its way when the next pass starts: the handset's
        // record of that pass is not clean, the program's end is.
        {"sync", "late outside, echo", Fault("late=3500@", echo), "done+resync", Waits(HANDSHAKE_MS), SYNC, 1, false},

        // The national code read: a failed query is logged and the run goes on.
        {"read", "silence", Fault("drop=", NATIONAL_CODE), "done+read-error", Waits(CODE_MS), ERASE, 1},
        {"read", "wrong byte", Fault("garbage=0x00@", READ_ECHO), "done+read-error", At_Once(), ERASE, 1},
        {"read", "foreign code", Fault("garbage=0x01@", NATIONAL_CODE), "code-foreign", At_Once(), none, 0},
        {"read", "empty code", Fault("garbage=0xFF@", NATIONAL_CODE), "code-empty", At_Once(), none, 0},
        // The fillers left on the line fail the erase's echo.
        {"read", "flood", Fault("flood=50@", READ_ECHO), "erase-failed+read-error", At_Once(), ERASE, 0},
        {"read", "garbage", Fault("garbage=0xA3,0x12@", READ_RESPONSE), "erase-failed+read-error", At_Once(), ERASE, 0},
        {"read", "hang-up", Fault("hangup=", NATIONAL_CODE), "erase-failed+read-error", Within(CODE_MS), none, 0},
        {"read", "late inside", Fault("late=800@", NATIONAL_CODE), "done", After(800), ERASE, 1},
        // The late code is read as the erase's echo.
        {"read", "late outside", Fault("late=1300@", NATIONAL_CODE), "erase-failed+read-error", Waits(CODE_MS), ERASE, 0},

        // The erase command's handshake.
        {"erase handshake", "silence", Fault("drop=", ERASE_ECHO), "erase-failed", Waits(HANDSHAKE_MS), none, 0},
        {"erase handshake", "wrong byte", Fault("garbage=0x57@", ERASE_ECHO), "erase-failed", At_Once(), none, 0},
        {"erase handshake", "flood", Fault("flood=100@", ERASE_RESPONSE), "erase-failed", At_Once(), none, 0},
        {"erase handshake", "garbage", Fault("garbage=0x12,0x34,0x56@", ERASE_RESPONSE), "erase-failed", At_Once(),
         none, 0},
        {"erase handshake", "hang-up", Fault("hangup=", ERASE_RESPONSE), "erase-failed", Within(HANDSHAKE_MS), none, 0},
        {"erase handshake", "late inside", Fault("late=2500@", ERASE_RESPONSE), "done", After(2500), CONFIRM, 1},
        {"erase handshake", "late outside", Fault("late=3500@", ERASE_RESPONSE), "erase-failed", Waits(HANDSHAKE_MS),
         none, 0},
        // Messages are processed only between reads: the exit waits for the read to end.
        {"erase handshake", "silence, exit pressed", Fault("drop=", ERASE_ECHO), "exit-button", {}, none, -1, true,
         15000, 500, HANDSHAKE_MS + SLACK_MS},

        // The erase progress.
        {"erase progress", "silence", Fault("drop=", progress), "erase-failed", Waits(PROGRESS_MS), none, 0},
        {"erase progress", "wrong byte", Fault("garbage=0x65@", progress), "erase-failed", At_Once(), none, 0},
        // No filler is skipped here: 0x55 reads as 85 percent, and the erase goes on.
        {"erase progress", "flood", Fault("flood=300@", progress), "done", At_Once(), LENGTH_LOW, 1},
        {"erase progress", "garbage", Fault("garbage=0x0A,0xC3@", progress), "erase-failed", At_Once(), none, 0},
        {"erase progress", "hang-up", Fault("hangup=", progress), "erase-failed", Within(PROGRESS_MS), none, 0},
        {"erase progress", "late inside", Fault("late=2500@", progress), "done", After(2500), LENGTH_LOW, 1},
        {"erase progress", "late outside", Fault("late=3500@", progress), "erase-failed", Waits(PROGRESS_MS), none, 0},

        // A block's ack: a failed transfer still pauses, sends the finish byte and closes.
        {"block ack", "silence", Fault("drop=", ack), "failed", Waits(BLOCK_ACK_MS, FINISH_PAUSE_MS), FINISH, 1},
        {"block ack", "wrong byte", Fault("garbage=0xAB@", ack), "failed", At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"block ack", "flood", Fault("flood=5000@", ack), "done", Flood(5000), none, 1},
        {"block ack", "slow flood, exit pressed", Fault("flood=400:25@", ack), "exit-button", {}, none, -1, true,
         15000, 1000, SLACK_MS},
        {"block ack", "garbage", Fault("garbage=0x55,0x12@", ack), "failed", At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"block ack", "hang-up", Fault("hangup-at-block=" + N(BLOCK_AT)), "failed",
         Within(BLOCK_ACK_MS, FINISH_PAUSE_MS), none, 0},
        {"block ack", "late inside", Fault("late=1600@", ack), "done", After(1600), none, 1},
        // The handset, its ack sent, takes the finish byte for image data: it is seen as the next byte.
        {"block ack", "late outside", Fault("late=2500@", ack), "failed", Waits(BLOCK_ACK_MS, FINISH_PAUSE_MS), FINISH},

        // The reply to the whole image.
        {"final reply", "silence", Fault("drop=", FINAL_REPLY), "failed", Waits(COMPLETE_MS, FINISH_PAUSE_MS), FINISH, 1},
        {"final reply", "wrong byte", Fault("final-reply=0xEE"), "failed", At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"final reply", "flood", Fault("flood=5000@", FINAL_REPLY), "done", Flood(5000, FINISH_PAUSE_MS), FINISH, 1},
        {"final reply", "garbage", Fault("garbage=0x55,0x55,0x5A@", FINAL_REPLY), "failed", At_Once(FINISH_PAUSE_MS),
         FINISH, 1},
        {"final reply", "hang-up", Fault("hangup=", FINAL_REPLY), "failed", Within(COMPLETE_MS, FINISH_PAUSE_MS), none, 0},
        {"final reply", "late inside", Fault("late=3500@", FINAL_REPLY), "done", After(3500, FINISH_PAUSE_MS), FINISH, 1},
        {"final reply", "late outside", Fault("late=4600@", FINAL_REPLY), "failed", Waits(COMPLETE_MS, FINISH_PAUSE_MS),
         FINISH, 1},

        // The national code write (code 0xFE): a failure is logged, the final box follows the transfer.
        {"code write", "silence", With_Code_FE(Fault("drop=", WRITE_ECHO)), "done+set-error",
         Waits(HANDSHAKE_MS, FINISH_PAUSE_MS), FINISH, 1},
        {"code write", "wrong byte", With_Code_FE(Fault("garbage=0x00@", WRITE_ECHO)), "done+set-error",
         At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"code write", "flood", With_Code_FE(Fault("flood=100@", WRITE_RESPONSE)), "done+set-error",
         At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"code write", "garbage", With_Code_FE(Fault("garbage=0x54,0xA3@", WRITE_RESPONSE)), "done+set-error",
         At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"code write", "hang-up", With_Code_FE(Fault("hangup=", WRITE_ECHO)), "done+set-error",
         Within(HANDSHAKE_MS, FINISH_PAUSE_MS), none, 0},
        {"code write", "late inside", With_Code_FE(Fault("late=2500@", WRITE_RESPONSE)), "done+set-ok", After(2500),
         CONFIRM, 1},
        {"code write", "late outside", With_Code_FE(Fault("late=3500@", WRITE_RESPONSE)), "done+set-error",
         Waits(HANDSHAKE_MS, FINISH_PAUSE_MS), FINISH, 1},
        // A failed transfer still writes the code, at once after the time-out.
        {"code write", "after a failed transfer", With_Code_FE(Fault("block-nack=" + N(BLOCK_AT))), "failed+set-ok",
         Waits(BLOCK_ACK_MS), WRITE, 1},

        // The finish byte has no reply; it follows the final reply after the pause.
        {"finish", "no reply (as designed)", Fault("late=0@", FINAL_REPLY), "done", At_Once(FINISH_PAUSE_MS), FINISH, 1},
        {"finish", "hang-up", Fault("hangup=" + N(FINAL_REPLY) + "+300"), "done", At_Once(FINISH_PAUSE_MS), none, 0},
    };
    return cases;
}

} // namespace faults
