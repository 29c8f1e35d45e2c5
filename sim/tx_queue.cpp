#include "tx_queue.h"

#include <algorithm>
#include <climits>

namespace x7sim {

void TxQueue::Push(Outgoing out, int64_t trigger_ns)
{
    // The pause of an item counts from the later of the trigger and the end
    // of what is already queued (erase progress spread over time).
    const int64_t base = std::max(trigger_ns, items_.empty() ? trigger_ns : line_free_ns_);
    const int64_t start = base + out.delay_ns;
    Item item{std::move(out), start};
    line_free_ns_ = std::max(item.start_ns, line_free_ns_) + static_cast<int64_t>(item.out.bytes.size()) * byte_ns_;
    items_.push_back(std::move(item));
}

int64_t TxQueue::DueOf(const Item& item) const
{
    if (item.next >= item.out.bytes.size()) return item.start_ns;  // a hang-up or an empty item
    return std::max(item.start_ns, sent_until_ns_) + byte_ns_;
}

int64_t TxQueue::NextDue() const
{
    return items_.empty() ? INT64_MAX : DueOf(items_.front());
}

TxQueue::Ready TxQueue::TakeDue(int64_t now_ns)
{
    Ready ready;
    while (!items_.empty()) {
        Item& item = items_.front();
        const int64_t due = DueOf(item);
        if (due > now_ns) break;
        max_late_ns_ = std::max(max_late_ns_, now_ns - due);
        if (item.next < item.out.bytes.size()) {
            ready.bytes.push_back(item.out.bytes[item.next++]);
            sent_until_ns_ = due;
            if (item.next < item.out.bytes.size()) {
                if (byte_ns_ > 0) break;  // paced: one byte at a time
                continue;
            }
        }
        if (item.out.on_sent) sent_events_.push_back(*item.out.on_sent);
        const bool hang_up = item.out.hang_up;
        items_.pop_front();
        if (hang_up) {
            ready.hang_up = true;
            items_.clear();
            break;
        }
        if (byte_ns_ > 0 && !ready.bytes.empty()) break;
    }
    return ready;
}

std::vector<Event> TxQueue::TakeSentEvents()
{
    std::vector<Event> events;
    events.swap(sent_events_);
    return events;
}

void TxQueue::Clear()
{
    items_.clear();
}

}  // namespace x7sim
