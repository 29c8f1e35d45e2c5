#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "boot_loader.h"

namespace x7sim {

// The handset's bytes on their way to the host, paced like a serial line:
// at B baud a byte takes 10/B seconds (start bit, 8 data bits, stop bit) and
// is seen by the host when its last bit is out. Due times are absolute and
// follow one another exactly, so a late wake-up does not push later bytes back.
class TxQueue {
public:
    explicit TxQueue(int64_t byte_ns) : byte_ns_(byte_ns) {}

    // Queues a reply to a byte that the host finished sending at trigger_ns.
    void Push(Outgoing out, int64_t trigger_ns);
    bool empty() const { return items_.empty(); }
    // When the next byte may be handed to the host; INT64_MAX when empty.
    int64_t NextDue() const;

    struct Ready {
        std::vector<uint8_t> bytes;   // to write now, in order
        bool hang_up = false;         // then pull the cable
    };
    // The bytes due at now_ns (all of them on an unpaced line, one when paced).
    Ready TakeDue(int64_t now_ns);
    // Events of items whose last byte has been written.
    std::vector<Event> TakeSentEvents();
    void Clear();
    // The most a byte was handed over after its due time.
    int64_t max_late_ns() const { return max_late_ns_; }

private:
    struct Item {
        Outgoing out;
        int64_t start_ns;  // earliest moment its first byte may start
        size_t next = 0;
    };
    int64_t DueOf(const Item& item) const;

    int64_t byte_ns_;
    int64_t line_free_ns_ = 0;  // when the last byte queued is (planned to be) out
    int64_t sent_until_ns_ = 0; // when the last byte written was due
    std::deque<Item> items_;
    std::vector<Event> sent_events_;
    int64_t max_late_ns_ = 0;
};

}  // namespace x7sim
