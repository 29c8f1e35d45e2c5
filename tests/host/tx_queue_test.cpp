// Pacing of the handset's replies: due times on the line's clock.
#include <gtest/gtest.h>

#include "tx_queue.h"

namespace {

using x7sim::Outgoing;
using x7sim::TxQueue;

constexpr int64_t kByte = 1000;  // one byte on the line, in ns, for easy sums

Outgoing Out(std::vector<uint8_t> bytes, int64_t delay = 0)
{
    Outgoing o;
    o.bytes = std::move(bytes);
    o.delay_ns = delay;
    return o;
}

TEST(TxQueue, PacedBytesFollowOneAnotherAtLineSpeed)
{
    TxQueue q(kByte);
    q.Push(Out({1, 2, 3}), 10'000);
    // Each byte is seen by the host once its 10 bits are out.
    EXPECT_EQ(q.NextDue(), 11'000);
    EXPECT_TRUE(q.TakeDue(10'999).bytes.empty());
    EXPECT_EQ(q.TakeDue(11'000).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(q.NextDue(), 12'000);
    // A late wake-up does not push the schedule back: the next byte keeps its slot.
    EXPECT_EQ(q.TakeDue(12'500).bytes, std::vector<uint8_t>{2});
    EXPECT_EQ(q.NextDue(), 13'000);
    EXPECT_EQ(q.TakeDue(13'000).bytes, std::vector<uint8_t>{3});
    EXPECT_TRUE(q.empty());
}

TEST(TxQueue, ReplyWaitsForTriggerAndLineToBeFree)
{
    TxQueue q(kByte);
    q.Push(Out({1}), 0);
    EXPECT_EQ(q.TakeDue(1'000).bytes.size(), 1u);
    // The next trigger comes long after: the reply starts from it.
    q.Push(Out({2}), 50'000);
    EXPECT_EQ(q.NextDue(), 51'000);
}

TEST(TxQueue, DelaysCountFromTheEndOfWhatIsQueued)
{
    TxQueue q(kByte);
    q.Push(Out({1}, 5'000), 0);       // first byte starts at 5000, out at 6000
    q.Push(Out({2}, 5'000), 0);       // starts 5000 after that: out at 12000
    EXPECT_EQ(q.NextDue(), 6'000);
    q.TakeDue(6'000);
    EXPECT_EQ(q.NextDue(), 12'000);
}

TEST(TxQueue, UnpacedHandsOverEverythingDue)
{
    TxQueue q(0);
    q.Push(Out({1, 2}), 100);
    q.Push(Out({3}), 100);
    q.Push(Out({4}, 1'000), 100);
    EXPECT_EQ(q.TakeDue(100).bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(q.NextDue(), 1'100);
    EXPECT_EQ(q.TakeDue(1'100).bytes, std::vector<uint8_t>{4});
}

TEST(TxQueue, SentEventsAndHangUp)
{
    TxQueue q(0);
    Outgoing done = Out({0xA5});
    done.on_sent = x7sim::Event("erase_end");
    q.Push(std::move(done), 0);
    Outgoing pull;
    pull.hang_up = true;
    q.Push(std::move(pull), 0);
    q.Push(Out({9}), 0);
    auto ready = q.TakeDue(0);
    EXPECT_EQ(ready.bytes, std::vector<uint8_t>{0xA5});
    EXPECT_TRUE(ready.hang_up);
    EXPECT_TRUE(q.empty()) << "nothing goes out after the cable is pulled";
    auto events = q.TakeSentEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name(), "erase_end");
}

}  // namespace
