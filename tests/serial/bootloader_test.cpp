// The boot loader protocol of CComport against the scripted platform: every
// byte sent, every read with the time-out in force, the pauses and the bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/comport.h"
#include "tests/serial/fake_win.h"
#include "vcl/progress_bar.h"

namespace {

using Dialog = std::vector<std::string>;

Dialog Handshake(const std::string& command)
{
    return {"> " + command, "< " + command + " /3000", "> A3", "< 5C /3000", "> A5"};
}

Dialog Concat(Dialog a, const Dialog& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An image of zeros with a few bytes set.
std::vector<uint8_t> Image(size_t length, std::initializer_list<std::pair<size_t, uint8_t>> set)
{
    std::vector<uint8_t> image(length, 0);
    for (auto [offset, value] : set) image[offset] = value;
    return image;
}

// A port open on the fake, with a bar attached and watched.
class Protocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.Com_Handle = fake.Open_Handle();
        port.Set_ProgressBar(&bar);
        fake.watch_bar = &bar;
        bar.SetMax(100);
        bar.SetPosition(33);
    }
    void TearDown() override { EXPECT_EQ(fake.stray_handle_calls, 0); }

    FakeWin fake;
    CComport port;
    TProgressBar bar;
};

// ---- Building blocks

struct AckCase {
    const char* name;
    const char* rx;
    bool result;
    Dialog dialog;
};

const AckCase ACK_CASES[] = {
    {"handshake", "56 5C", true, {"< 56 /3000", "> A3", "< 5C /3000", "> A5"}},
    {"filler in place of the echo", "55 56 5C", false, {"< 55 /3000"}},
    {"wrong echo", "57", false, {"< 57 /3000"}},
    {"no echo", "", false, {"< -- /3000"}},
    {"filler in place of the response", "56 55 5C", false, {"< 56 /3000", "> A3", "< 55 /3000"}},
    {"no response", "56", false, {"< 56 /3000", "> A3", "< -- /3000"}},
};

TEST_F(Protocol, CommandAckEchoChallengeResponseConfirm)
{
    for (const AckCase& c : ACK_CASES) {
        SCOPED_TRACE(c.name);
        fake.dialog.clear();
        fake.rx.clear();
        fake.Receive(Hex(c.rx));
        EXPECT_EQ(port.Command_Ack(0x56), c.result);
        EXPECT_EQ(fake.dialog, c.dialog);
    }
}

struct WaitCase {
    const char* name;
    const char* rx;
    bool result;
    Dialog dialog;
};

const WaitCase WAIT_CASES[] = {
    {"at once", "AA", true, {"< AA /2000"}},
    {"fillers restart the wait", "55 55 AA", true, {"< 55 /2000", "< 55 /2000", "< AA /2000"}},
    {"fillers then silence", "55 55", false, {"< 55 /2000", "< 55 /2000", "< -- /2000"}},
    {"another byte", "55 AB AA", false, {"< 55 /2000", "< AB /2000"}},
    {"silence", "", false, {"< -- /2000"}},
};

TEST_F(Protocol, WaitByteSkipsFillersEachWithTheFullTimeOut)
{
    for (const WaitCase& c : WAIT_CASES) {
        SCOPED_TRACE(c.name);
        fake.dialog.clear();
        fake.rx.clear();
        fake.Receive(Hex(c.rx));
        EXPECT_EQ(port.Wait_Byte(0xAA, 2000), c.result);
        EXPECT_EQ(fake.dialog, c.dialog);
    }
}

// ---- Sync

const Dialog SYNC_EXCHANGE = Concat(Handshake("58"), {"> 55", "< AA /100"});
const std::vector<uint8_t> GOOD_SYNC = {0x58, 0x5C, 0xAA};

std::vector<uint8_t> Good_Syncs(int n)
{
    std::vector<uint8_t> rx;
    for (int i = 0; i < n; ++i) rx = Concat(rx, GOOD_SYNC);
    return rx;
}

TEST_F(Protocol, SyncIsFiftyCleanExchangesAndNoMore)
{
    fake.Receive(Concat(Good_Syncs(50), GOOD_SYNC));
    EXPECT_TRUE(port.Sync_Target());
    Dialog expected;
    for (int i = 0; i < 50; ++i) expected = Concat(expected, SYNC_EXCHANGE);
    EXPECT_EQ(fake.dialog, expected);
    EXPECT_EQ(fake.rx.size(), 3u);
    EXPECT_EQ(bar.Position(), 33);
}

struct SyncCase {
    const char* name;
    std::vector<uint8_t> rx;
    size_t entries;
    const char* last;
};

const SyncCase SYNC_CASES[] = {
    {"49 good, then the reply missing", Concat(Good_Syncs(49), Hex("58 5C")), 49 * 7 + 7, "< -- /100"},
    {"49 good, then a filler as reply", Concat(Good_Syncs(49), Hex("58 5C 55")), 49 * 7 + 7, "< 55 /100"},
    {"filler in place of an echo", Concat(Good_Syncs(10), Hex("55")), 10 * 7 + 2, "< 55 /3000"},
    {"nothing answers", {}, 2, "< -- /3000"},
};

TEST_F(Protocol, SyncGivesUpAtTheFirstMiss)
{
    for (const SyncCase& c : SYNC_CASES) {
        SCOPED_TRACE(c.name);
        fake.dialog.clear();
        fake.rx.assign(c.rx.begin(), c.rx.end());
        EXPECT_FALSE(port.Sync_Target());
        ASSERT_EQ(fake.dialog.size(), c.entries);
        EXPECT_EQ(fake.dialog.back(), c.last);
        EXPECT_EQ(bar.Position(), 33);
    }
}

// ---- Erase

TEST_F(Protocol, EraseWorkedExampleShowsTheHighestPercentageAndEndsAtZero)
{
    bar.SetMax(9000);
    bar.SetPosition(1234);
    fake.Receive(Hex("56 5C 00 0A 0A 05 32 64 A5"));
    EXPECT_TRUE(port.Erase_Flash(9000));
    const Dialog dialog = Concat(Handshake("56"), {"> 28 23 00 00", "< 00 /3000", "< 0A /3000", "< 0A /3000",
                                                   "< 05 /3000", "< 32 /3000", "< 64 /3000", "< A5 /3000", "queue"});
    const std::vector<int> bars = {0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 10, 50, 0, 0};
    EXPECT_EQ(fake.dialog, dialog);
    EXPECT_EQ(fake.bar, bars);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
}

struct EraseCase {
    const char* name;
    const char* rx;
    bool purge_fails;
    bool result;
    int bar;
    const char* last;
};

const EraseCase ERASE_CASES[] = {
    {"filler reads as 85 percent", "56 5C 55 A5", false, true, 85, "queue"},
    {"lower and repeated ignored", "56 5C 14 0A 14 1E A5", false, true, 30, "queue"},
    {"complete at once", "56 5C A5", false, true, 0, "queue"},
    {"queued bytes after the reply purged", "56 5C 32 A5 01 02", false, true, 50, "purge 12"},
    {"purge fails", "56 5C A5 01", true, false, 0, "purge 12"},
    {"101 fails", "56 5C 0A 65 A5", false, false, 10, "< 65 /3000"},
    {"255 fails", "56 5C FF", false, false, 0, "< FF /3000"},
    {"progress stops", "56 5C 0A", false, false, 10, "< -- /3000"},
    {"silence after 100", "56 5C 64", false, false, 0, "< -- /3000"},
    {"handshake fails: no length sent", "56 55", false, false, 0, "< 55 /3000"},
};

TEST_F(Protocol, ErasePercentagesAndTheirFaults)
{
    for (const EraseCase& c : ERASE_CASES) {
        SCOPED_TRACE(c.name);
        fake.dialog.clear();
        fake.rx.clear();
        fake.Receive(Hex(c.rx));
        fake.purge_ok = !c.purge_fails;
        EXPECT_EQ(port.Erase_Flash(9000), c.result);
        EXPECT_EQ(bar.Position(), c.bar);
        EXPECT_EQ(fake.dialog.back(), c.last);
        if (c.result) {
            EXPECT_TRUE(fake.rx.empty());
        }
    }
}

// ---- Send the image

TEST_F(Protocol, SendWorkedExampleNineThousandBytes)
{
    const std::vector<uint8_t> image = Image(9000, {{0, 0x12}, {1, 0x34}, {2, 0x56}, {3, 0x78}, {8999, 0x9A}});
    fake.Receive(Hex("AA AA A5"));
    EXPECT_TRUE(port.Send_Data(9000, image.data(), 4000, 1));
    const Dialog dialog = {"> 28 23 00 00", "sleep 20",     "> 4000 bytes", "< AA /2000", "> 4000 bytes",
                           "< AA /2000",    "> 1000 bytes", "> 44 D6",      "< A5 /4000"};
    const std::vector<int> bars = {0, 0, 0, 0, 4000, 4000, 8000, 0, 0};
    EXPECT_EQ(fake.dialog, dialog);
    EXPECT_EQ(fake.bar, bars);
    EXPECT_EQ(bar.Max(), 9000);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(fake.tx, Concat(Concat(Hex("28 23 00 00"), image), Hex("44 D6")));
}

struct SendCase {
    const char* name;
    std::vector<uint8_t> image;
    uint32_t block;
    uint8_t flag;
    const char* rx;
    Dialog dialog;
};

const std::vector<uint8_t> EIGHT_K = Image(8000, {{0, 0x11}, {7999, 0x22}});

const SendCase SEND_CASES[] = {
    {"odd length: zero pad", {1, 2, 3, 4, 5}, 4000, 1, "A5",
     {"> 05 00 00 00", "sleep 20", "> 01 02 03 04 05", "> 07 06", "< A5 /4000"}},
    {"exact multiple: empty tail, checksum right after the last ack", EIGHT_K, 4000, 1, "AA AA A5",
     {"> 40 1F 00 00", "sleep 20", "> 4000 bytes", "< AA /2000", "> 4000 bytes", "< AA /2000", "> 0 bytes",
      "> 11 22", "< A5 /4000"}},
    {"fillers before every ack and the reply", EIGHT_K, 4000, 1, "55 55 AA 55 AA 55 55 A5",
     {"> 40 1F 00 00", "sleep 20", "> 4000 bytes", "< 55 /2000", "< 55 /2000", "< AA /2000", "> 4000 bytes",
      "< 55 /2000", "< AA /2000", "> 0 bytes", "> 11 22", "< 55 /4000", "< 55 /4000", "< A5 /4000"}},
    {"shorter than a block", {0x0A, 0x0B, 0x0C}, 4000, 1, "A5",
     {"> 03 00 00 00", "sleep 20", "> 0A 0B 0C", "> 06 0B", "< A5 /4000"}},
    {"zero length", {}, 4000, 1, "A5", {"> 00 00 00 00", "sleep 20", "> 0 bytes", "> 00 00", "< A5 /4000"}},
    {"flag 0: no checksum", {0x0A, 0x0B, 0x0C}, 4000, 0, "A5",
     {"> 03 00 00 00", "sleep 20", "> 0A 0B 0C", "< A5 /4000"}},
    {"flag 2: no checksum", {0x0A, 0x0B, 0x0C}, 4000, 2, "A5",
     {"> 03 00 00 00", "sleep 20", "> 0A 0B 0C", "< A5 /4000"}},
    {"one-byte blocks", {0x0A, 0x0B}, 1, 1, "AA AA A5",
     {"> 02 00 00 00", "sleep 20", "> 0A", "< AA /2000", "> 0B", "< AA /2000", "> 0 bytes", "> 0A 0B",
      "< A5 /4000"}},
};

TEST_F(Protocol, SendShapesOfImage)
{
    for (const SendCase& c : SEND_CASES) {
        SCOPED_TRACE(c.name);
        FakeWin f;
        CComport p;
        p.Com_Handle = f.Open_Handle();
        f.Receive(Hex(c.rx));
        const uint32_t length = static_cast<uint32_t>(c.image.size());
        EXPECT_TRUE(p.Send_Data(length, c.image.data(), c.block, c.flag));
        EXPECT_EQ(f.dialog, c.dialog);
        EXPECT_TRUE(f.rx.empty());
        // The image goes out whole and in order.
        ASSERT_GE(f.tx.size(), 4 + c.image.size());
        EXPECT_EQ(std::vector<uint8_t>(f.tx.begin() + 4, f.tx.begin() + 4 + c.image.size()), c.image);
    }
}

TEST_F(Protocol, SendWithBlockSizeZeroSendsNothingAndLeavesTheBar)
{
    const uint8_t image[3] = {1, 2, 3};
    EXPECT_FALSE(port.Send_Data(3, image, 0, 1));
    EXPECT_FALSE(port.Send_Data(3, nullptr, 4000, 1));
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 33);
}

struct SendFault {
    const char* name;
    const char* rx;
    int fail_write;
    int short_write;
    int bar;
    const char* last;
};

// 9000 bytes in blocks of 4000; writes: 0 length, 1 and 2 blocks, 3 tail, 4 checksum.
const SendFault SEND_FAULTS[] = {
    {"first block answered wrongly", "AB", -1, -1, 0, "< AB /2000"},
    {"second block unanswered", "AA", -1, -1, 4000, "< -- /2000"},
    {"fillers, then silence", "AA 55 55", -1, -1, 4000, "< -- /2000"},
    {"wrong final reply", "AA AA 5A", -1, -1, 0, "< 5A /4000"},
    {"no final reply", "AA AA 55", -1, -1, 0, "< -- /4000"},
    {"length write fails", "AA AA A5", 0, -1, 0, "> failed"},
    {"block write comes up short", "AA AA A5", -1, 2, 4000, "> 4000 bytes"},
    {"tail write fails", "AA AA A5", 3, -1, 8000, "> failed"},
    {"checksum write fails", "AA AA A5", 4, -1, 0, "> failed"},
};

TEST_F(Protocol, SendFaultsEndAtOnceWithTheBarAtTheAcknowledgedBytes)
{
    const std::vector<uint8_t> image = Image(9000, {{0, 0x12}});
    for (const SendFault& c : SEND_FAULTS) {
        SCOPED_TRACE(c.name);
        FakeWin f;
        CComport p;
        TProgressBar b;
        p.Com_Handle = f.Open_Handle();
        p.Set_ProgressBar(&b);
        f.Receive(Hex(c.rx));
        f.fail_write_at = c.fail_write;
        f.short_write_at = c.short_write;
        EXPECT_FALSE(p.Send_Data(9000, image.data(), 4000, 1));
        EXPECT_EQ(b.Position(), c.bar);
        EXPECT_EQ(f.dialog.back(), c.last);
    }
}

// ---- National code and finish

TEST_F(Protocol, GetNationalCodeStoresTheByteOnlyWhenItCame)
{
    uint8_t code = 0x33;
    fake.Receive(Hex("52 5C FE"));
    EXPECT_TRUE(port.Get_National_Code(code));
    EXPECT_EQ(code, 0xFE);
    EXPECT_EQ(fake.dialog, Concat(Handshake("52"), {"< FE /1000"}));

    for (const char* rx : {"52 5C", "53", "52 55"}) {
        SCOPED_TRACE(rx);
        fake.dialog.clear();
        fake.Receive(Hex(rx));
        code = 0x33;
        EXPECT_FALSE(port.Get_National_Code(code));
        EXPECT_EQ(code, 0x33);
    }
    EXPECT_EQ(fake.dialog.back(), "< 55 /3000");
    EXPECT_EQ(bar.Position(), 33);
}

TEST_F(Protocol, SetNationalCodePausesBeforeTheValueAndReadsNoReply)
{
    fake.Receive(Hex("54 5C"));
    EXPECT_TRUE(port.Set_National_Code(0x00));
    EXPECT_EQ(fake.dialog, Concat(Handshake("54"), {"sleep 20", "> 00"}));

    fake.dialog.clear();
    fake.Receive(Hex("54 55"));
    EXPECT_FALSE(port.Set_National_Code(0x00));
    EXPECT_EQ(fake.dialog, (Dialog{"> 54", "< 54 /3000", "> A3", "< 55 /3000"}));

    fake.dialog.clear();
    fake.Receive(Hex("54 5C"));
    fake.fail_write_at = 9; // writes so far: 54 A3 A5 00, 54 A3; then 54 A3 A5 and the value
    EXPECT_FALSE(port.Set_National_Code(0x7E));
    EXPECT_EQ(fake.dialog.back(), "> failed");
    EXPECT_EQ(bar.Position(), 33);
}

TEST_F(Protocol, FinishIsOneByteWithoutReply)
{
    fake.Receive(Hex("AA"));
    EXPECT_TRUE(port.Send_Finish());
    EXPECT_EQ(fake.dialog, (Dialog{"> 60"}));
    EXPECT_EQ(fake.rx.size(), 1u);
    fake.fail_write_at = 1;
    EXPECT_FALSE(port.Send_Finish());
}

} // namespace
