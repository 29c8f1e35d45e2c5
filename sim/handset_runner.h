#pragma once
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boot_loader.h"
#include "capture_file.h"
#include "options.h"
#include "port_registry.h"
#include "pty_link.h"
#include "transcript.h"
#include "tx_queue.h"

namespace x7sim {

// The simulator's main loop: plugs the handset in, moves bytes between the
// pty and the boot loader at the pace of the line, and stops cleanly.
class HandsetRunner {
public:
    HandsetRunner(const SimOptions& options, const volatile sig_atomic_t& stop_signal);
    HandsetRunner(const HandsetRunner&) = delete;
    HandsetRunner& operator=(const HandsetRunner&) = delete;

    // Runs until stopped; returns the exit status.
    int Run();

private:
    bool SetUp(std::string& error);
    bool Plug(std::string& error);
    void Unplug(const char* reason);
    void ReadAndFeed(int64_t now);
    void WriteDue(int64_t now);
    bool FlushBacklog();
    void Wait(int64_t now, int64_t until);
    const char* StopReason(int64_t now);
    void Shutdown(const char* reason);

    const SimOptions& options_;
    const volatile sig_atomic_t& stop_signal_;
    const int64_t start_ns_;
    const int64_t byte_ns_;  // one byte on the line: 10 bit times
    Transcript transcript_;
    std::unique_ptr<CaptureFile> capture_;
    PtyLink link_;
    PortRegistry registry_;
    TxQueue tx_;
    BootLoader device_;

    // Bytes due but not yet taken by the pty (the host is not reading).
    std::vector<uint8_t> backlog_;
    bool backlog_holds_reply_ = false;  // not just the stale bytes
    bool plug_pending_ = true;
    int64_t rx_free_ns_ = 0;       // when the host's last byte was fully received
    int64_t last_activity_ns_ = 0; // last byte either way
    int64_t next_stop_check_ns_ = 0;
    int64_t received_ = 0;
    int64_t sent_ = 0;
    // Time from each reply being out to the host's next byte, summed: what
    // the host's own turnaround costs the line.
    int64_t host_turnaround_ns_ = 0;
    int64_t reply_out_ns_ = -1;
    bool setup_failed_ = false;
};

}  // namespace x7sim
