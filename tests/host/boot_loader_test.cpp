// The boot loader state machine on its own: what it answers to each host
// sequence, what it records, how it plays faults and reports violations.
#include <gtest/gtest.h>

#include <functional>

#include "device_harness.h"
#include "protocol_bytes.h"

namespace x7sim_test {
namespace {

using x7sim::BootLoaderConfig;
using x7sim::Fault;
using x7sim::FaultKind;

Bytes Repeat(const Bytes& part, int times)
{
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Erase(uint32_t length)
{
    return Concat({Handshake(0x56), Le32(length)});
}

const Bytes kEraseReply = {0x56, 0x5C, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0xA5};

Bytes Image(size_t length)
{
    Bytes image(length);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    return image;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& n : names) {
        if (!text.empty()) text += ' ';
        text += n;
    }
    return text;
}

TEST(ImageChecksum, WorkedExamples)
{
    EXPECT_EQ(Hex(Checksum(ExampleImage())), "44 D6 ");
    EXPECT_EQ(Hex(Checksum({1, 2, 3, 4, 5})), "07 06 ");
    x7sim::ImageChecksum sum;
    const Bytes image = ExampleImage();
    for (size_t i = 0; i < image.size(); ++i) sum.Add(static_cast<uint32_t>(i), image[i]);
    EXPECT_EQ(Hex({sum.even(), sum.odd()}), "44 D6 ");
}

struct PathCase {
    const char* name;
    std::function<void(BootLoaderConfig&)> configure;
    Bytes host;
    Bytes device;
    const char* events;  // after Close()
    Bytes image;         // expected capture
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProtocolPaths : public testing::TestWithParam<PathCase> {};

TEST_P(ProtocolPaths, AnswersAndRecords)
{
    const PathCase& c = GetParam();
    BootLoaderConfig config;
    if (c.configure) c.configure(config);
    DeviceHarness h(config);
    EXPECT_EQ(Hex(h.Send(c.host)), Hex(c.device));
    h.device.Close();
    EXPECT_EQ(Joined(h.sink.Names()), c.events);
    EXPECT_EQ(h.sink.Count("violation"), 0);
    EXPECT_EQ(Hex(h.image.bytes), Hex(c.image));
}

const Bytes kSync = {0x58, 0x5C, 0xAA};

INSTANTIATE_TEST_SUITE_P(
    BootLoader, ProtocolPaths,
    testing::Values(
        PathCase{"OneSync", nullptr, SyncExchanges(1), kSync, "sync", {}},
        PathCase{"FiftySyncsThenRead", [](auto& c) { c.national = 0xFE; },
                 Concat({SyncExchanges(50), Handshake(0x52)}), Concat({Repeat(kSync, 50), {0x52, 0x5C, 0xFE}}),
                 "sync national_read", {}},
        PathCase{"WriteChangesTheCodeRead", [](auto& c) { c.national = 0xFE; },
                 Concat({Handshake(0x54), {0x00}, Handshake(0x52)}), {0x54, 0x5C, 0x52, 0x5C, 0x00},
                 "national_write national_read", {}},
        PathCase{"EraseWorkedExample", [](auto& c) { c.erase_progress = {0x00, 0x0A, 0x0A, 0x05, 0x32, 0x64}; },
                 Erase(9000), {0x56, 0x5C, 0x00, 0x0A, 0x0A, 0x05, 0x32, 0x64, 0xA5},
                 "erase abandoned", {}},  // stopped while the transfer was awaited
        PathCase{"EraseWithoutProgress", [](auto& c) { c.erase_progress = {}; }, Erase(1), {0x56, 0x5C, 0xA5},
                 "erase abandoned", {}},
        PathCase{"WholeUpdateRun", [](auto& c) { c.national = 0xFE; },
                 Concat({SyncExchanges(50), Handshake(0x52), Erase(9000), TransferBytes(ExampleImage()),
                         Handshake(0x54), {0x00}, {0x60}}),
                 Concat({Repeat(kSync, 50), {0x52, 0x5C, 0xFE}, kEraseReply, {0xAA, 0xAA, 0xA5}, {0x54, 0x5C}}),
                 "sync national_read erase transfer block block image national_write finish", ExampleImage()},
        PathCase{"FiveByteImageHasNoBlockAck", nullptr, Concat({Erase(5), Le32(5), {1, 2, 3, 4, 5}, {0x07, 0x06}}),
                 Concat({kEraseReply, {0xA5}}), "erase transfer image", {1, 2, 3, 4, 5}},
        PathCase{"ExactMultipleAcksLastBlock", nullptr, Concat({Erase(8000), TransferBytes(Image(8000))}),
                 Concat({kEraseReply, {0xAA, 0xAA, 0xA5}}), "erase transfer block block image", Image(8000)},
        PathCase{"ZeroLength", nullptr, Concat({Erase(0), Le32(0), {0, 0}}), Concat({kEraseReply, {0xA5}}),
                 "erase transfer image", {}},
        PathCase{"FillersBeforeAckAndFinalReply", [](auto& c) { c.filler = 2; },
                 Concat({Erase(4001), TransferBytes(Image(4001))}),
                 Concat({kEraseReply, {0x55, 0x55, 0xAA, 0x55, 0x55, 0xA5}}), "erase transfer block image",
                 Image(4001)},
        PathCase{"SmallBlocks", [](auto& c) { c.block = 3; }, Concat({Erase(7), TransferBytes(Image(7))}),
                 Concat({kEraseReply, {0xAA, 0xAA, 0xA5}}), "erase transfer block block image", Image(7)},
        PathCase{"TransferOnlyTakesTransfersBackToBack", [](auto& c) { c.transfer_only = true, c.block = 4; },
                 Concat({TransferBytes(Image(5)), TransferBytes(Image(8))}), {0xAA, 0xA5, 0xAA, 0xAA, 0xA5},
                 "transfer block image transfer block block image", Image(8)},
        PathCase{"FinishAlone", nullptr, {0x60}, {}, "finish", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ViolationCase {
    const char* name;
    Bytes host;
    Bytes device;
};

void PrintTo(const ViolationCase& c, std::ostream* os)
{
    *os << c.name;
}

class Violations : public testing::TestWithParam<ViolationCase> {};

// A wrong byte is reported once; the handset then ignores the line until it
// has been quiet for 100 ms, and takes commands again.
TEST_P(Violations, ReportedOnceThenResyncAfterQuiet)
{
    const ViolationCase& c = GetParam();
    DeviceHarness h;
    EXPECT_EQ(Hex(h.Send(c.host)), Hex(c.device));
    EXPECT_EQ(Hex(h.Send(SyncExchanges(1))), "") << "ignored until the line is quiet";
    EXPECT_EQ(h.sink.Count("violation"), 1);
    h.Quiet(50);
    EXPECT_EQ(Hex(h.Send(SyncExchanges(1))), "");
    h.Quiet(100);
    EXPECT_EQ(Hex(h.Send(SyncExchanges(1))), Hex(kSync));
    EXPECT_EQ(h.sink.Count("violation"), 1);
}

INSTANTIATE_TEST_SUITE_P(BootLoader, Violations,
                         testing::Values(ViolationCase{"NotACommand", {0x00}, {}},
                                         ViolationCase{"ImageDataWithoutErase", {0x28, 0x23, 0, 0}, {}},
                                         ViolationCase{"WrongChallenge", {0x58, 0xA4}, {0x58}},
                                         ViolationCase{"FillerInPlaceOfChallenge", {0x52, 0x55}, {0x52}},
                                         ViolationCase{"WrongConfirm", {0x56, 0xA3, 0x5C}, {0x56, 0x5C}},
                                         ViolationCase{"WrongProbe", {0x58, 0xA3, 0xA5, 0xAA}, {0x58, 0x5C}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BootLoaderViolations, ByteBeforeTheReplyWasSent)
{
    DeviceHarness h;
    h.device.Feed(0x58, 1);
    h.device.TakeOutput();
    h.device.Feed(0xA3, 2, /*reply_pending=*/true);
    EXPECT_TRUE(h.device.TakeOutput().empty());
    EXPECT_EQ(h.sink.Count("violation"), 1);
}

TEST(BootLoaderViolations, WrongChecksumGetsAnErrorReply)
{
    DeviceHarness h;
    const Bytes image = Image(10);
    Bytes bad = Checksum(image);
    bad[1] ^= 1;
    EXPECT_EQ(Hex(h.Send(Concat({Erase(10), Le32(10), image, bad}))), Hex(Concat({kEraseReply, {0xEE}})));
    EXPECT_EQ(h.sink.Count("violation"), 1);
    EXPECT_EQ(h.sink.Last("image", "ok"), "false");
    EXPECT_EQ(Hex(h.Send({0x52, 0xA3, 0xA5})), "52 5C 00 ") << "the next command is served at once";
}

TEST(BootLoaderViolations, TransferLengthDiffersFromErase)
{
    DeviceHarness h;
    const Bytes image = Image(9);
    EXPECT_EQ(Hex(h.Send(Concat({Erase(10), TransferBytes(image)}))), Hex(Concat({kEraseReply, {0xA5}})));
    EXPECT_EQ(h.sink.Count("violation"), 1);
    EXPECT_EQ(h.sink.Last("violation", "erased"), "10");
    EXPECT_EQ(Hex(h.image.bytes), Hex(image));
}

struct FaultCase {
    const char* name;
    const char* fault_text;
    std::function<void(BootLoaderConfig&)> configure;
    Bytes host;
    Bytes device;
    Bytes then_host;  // what the host does next, after giving up
    Bytes then_device;
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class Faults : public testing::TestWithParam<FaultCase> {};

// Each fault plays once, is recorded, and the host giving up after it is not
// held against it.
TEST_P(Faults, PlayOnceWithoutViolation)
{
    const FaultCase& c = GetParam();
    BootLoaderConfig config;
    std::string error;
    auto fault = x7sim::ParseFault(c.fault_text, error);
    ASSERT_TRUE(fault) << error;
    config.faults.push_back(*fault);
    if (c.configure) c.configure(config);
    DeviceHarness h(config);
    EXPECT_EQ(Hex(h.Send(c.host)), Hex(c.device));
    EXPECT_EQ(h.sink.Count("fault"), 1);
    EXPECT_EQ(Hex(h.Send(c.then_host)), Hex(c.then_device));
    EXPECT_EQ(h.sink.Count("violation"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    BootLoader, Faults,
    testing::Values(
        FaultCase{"SyncMiss", "sync-miss=49", nullptr, SyncExchanges(50), Concat({Repeat(kSync, 49), {0x58, 0x5C}}),
                  SyncExchanges(1), kSync},
        FaultCase{"GarbageInPlaceOfEcho", "garbage=0x55", nullptr, {0x58}, {0x55}, SyncExchanges(1), kSync},
        FaultCase{"GarbageInPlaceOfResponse", "garbage=0x55@1", nullptr, {0x58, 0xA3}, {0x58, 0x55},
                  SyncExchanges(1), kSync},
        FaultCase{"GarbageInPlaceOfBlockAck", "garbage=0x12@14", nullptr,
                  Concat({Erase(8000), Le32(8000), Image(4000)}), Concat({kEraseReply, {0x12}}), {0x60}, {}},
        FaultCase{"NoNationalReply", "no-national-reply", nullptr, Handshake(0x52), {0x52, 0x5C}, Handshake(0x52),
                  {0x52, 0x5C, 0x00}},
        FaultCase{"EraseFail", "erase-fail", nullptr, Erase(10), {0x56, 0x5C, 0, 10, 20, 30, 40, 0xEE}, {0x60}, {}},
        FaultCase{"EraseFailByte", "erase-fail=0x65", [](auto& c) { c.erase_progress = {0, 50}; }, Erase(10),
                  {0x56, 0x5C, 0, 0x65}, Handshake(0x52), {0x52, 0x5C, 0x00}},
        FaultCase{"BlockNack", "block-nack=1", nullptr, Concat({Erase(9000), Le32(9000), Image(8000)}),
                  Concat({kEraseReply, {0xAA}}), Concat({Handshake(0x54), {0x00}, {0x60}}), {0x54, 0x5C}},
        FaultCase{"FinalReply", "final-reply=0x12", [](auto& c) { c.filler = 1; },
                  Concat({Erase(5), TransferBytes(Image(5))}), Concat({kEraseReply, {0x55, 0x12}}), {0x60}, {}},
        FaultCase{"SilentAfterSync", "silent-after-sync", nullptr, Concat({SyncExchanges(2), Handshake(0x52)}),
                  Repeat(kSync, 2), SyncExchanges(1), {}},
        FaultCase{"DropProbeReply", "drop=2", nullptr, SyncExchanges(1), {0x58, 0x5C}, SyncExchanges(1), kSync},
        FaultCase{"DropEchoOfRead", "drop=0", nullptr, {0x52}, {}, Handshake(0x52), {0x52, 0x5C, 0x00}},
        FaultCase{"DropProgressEndsTheErase", "drop=3", [](auto& c) { c.erase_progress = {0, 50, 100}; },
                  Erase(10), {0x56, 0x5C, 0}, Handshake(0x52), {0x52, 0x5C, 0x00}},
        FaultCase{"FloodBeforeEcho", "flood=3@0", nullptr, {0x58}, {0x55, 0x55, 0x55, 0x58}, {0xA3, 0xA5, 0x55},
                  {0x5C, 0xAA}},
        FaultCase{"FloodBeforeBlockAck", "flood=2@14", [](auto& c) { c.filler = 1; },
                  Concat({Erase(4000), TransferBytes(Image(4000))}),
                  Concat({kEraseReply, {0x55, 0x55, 0x55, 0xAA, 0x55, 0xA5}}), {0x60}, {}},
        FaultCase{"LateReplyKeepsItsBytes", "late=1500@2", nullptr, SyncExchanges(1), kSync, SyncExchanges(1),
                  kSync},
        FaultCase{"MuteFromEchoOn", "mute=3", nullptr, SyncExchanges(2), kSync, SyncExchanges(1), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BootLoaderFaults, HangUpAsBlockStarts)
{
    BootLoaderConfig config;
    config.faults.push_back(Fault{FaultKind::HangupAtBlock, 1, {}, false});
    DeviceHarness h(config);
    EXPECT_EQ(Hex(h.Send(Concat({Erase(9000), Le32(9000), Image(4001)}))), Hex(Concat({kEraseReply, {0xAA}})));
    ASSERT_FALSE(h.output().empty());
    EXPECT_TRUE(h.output().back().hang_up);
    EXPECT_TRUE(h.device.dead());
    EXPECT_EQ(h.image.bytes.size(), 4000u) << "the first byte of block 1 never arrived";
}

// The timed faults: when each part of the reply is due, and the hang-ups.
TEST(BootLoaderFaults, LateFloodAndHangUpAreTimed)
{
    auto parse = [](const char* fault_text) {
        std::string error;
        auto fault = x7sim::ParseFault(fault_text, error);
        EXPECT_TRUE(fault) << fault_text << ": " << error;
        return fault.value_or(Fault{});
    };
    BootLoaderConfig config;
    config.erase_progress = {0, 100};
    config.faults = {parse("late=1200@1"), parse("flood=3:40@2"), parse("hangup=4+300")};
    DeviceHarness h(config);
    EXPECT_EQ(Hex(h.Send(Erase(10))), "56 5C 55 55 55 00 64 A5 ");
    const auto& out = h.output();
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[1].delay_ns, 1200'000'000) << "the late 0x5C";
    for (int i : {2, 3, 4, 5}) EXPECT_EQ(out[i].delay_ns, i == 2 ? 0 : 40'000'000) << "filler or reply " << i;
    EXPECT_EQ(Hex(out[7].bytes), "A5 ");
    EXPECT_TRUE(out[7].on_sent) << "erase_end still recorded";
    EXPECT_TRUE(out[8].hang_up);
    EXPECT_EQ(out[8].delay_ns, 300'000'000);
    EXPECT_EQ(h.sink.Count("fault"), 3);
    EXPECT_FALSE(h.device.dead()) << "alive until the cable is actually pulled";

    BootLoaderConfig in_place;
    in_place.faults = {parse("hangup=1")};
    DeviceHarness g(in_place);
    EXPECT_EQ(Hex(g.Send({0x58, 0xA3})), "58 ");
    ASSERT_FALSE(g.output().empty());
    EXPECT_TRUE(g.output().back().hang_up);
    EXPECT_TRUE(g.device.dead());

    BootLoaderConfig garbled;
    garbled.faults = {parse("garbage=0x12@0"), parse("hangup=0+100")};
    DeviceHarness k(garbled);
    EXPECT_EQ(Hex(k.Send({0x58})), "12 ");
    ASSERT_EQ(k.output().size(), 2u);
    EXPECT_TRUE(k.output().back().hang_up) << "the hang-up after a garbled reply still comes";
}

// After a fault, the host's next byte is recorded: how long it took to go on.
TEST(BootLoaderFaults, HostsNextByteAfterAFaultIsRecorded)
{
    BootLoaderConfig config;
    config.faults = {x7sim::Fault{FaultKind::NoNationalReply, 0, {}, false}};
    DeviceHarness h(config);
    h.Send(Concat({SyncExchanges(1), Handshake(0x52)}));
    EXPECT_EQ(h.sink.Count("resumed"), 0);
    h.Send(Handshake(0x56));
    EXPECT_EQ(h.sink.Count("resumed"), 1);
    EXPECT_EQ(h.sink.Last("resumed", "byte"), "\"0x56\"");
    EXPECT_EQ(Joined(h.sink.Names()), "sync fault resumed");
}

TEST(BootLoaderFaults, SilentHandsetNeverAnswers)
{
    BootLoaderConfig config;
    config.silent = true;
    DeviceHarness h(config);
    EXPECT_EQ(Hex(h.Send(Concat({SyncExchanges(3), {0x00, 0x12}}))), "");
    EXPECT_TRUE(h.sink.events.empty());
}

TEST(BootLoaderTiming, EraseSpreadOverProgressBytes)
{
    BootLoaderConfig config;
    config.erase_ns = 1100 * 1'000'000LL;
    DeviceHarness h(config);
    h.Send(Erase(100));
    const auto& out = h.output();
    ASSERT_EQ(out.size(), 2u + 11u + 1u);  // echo, response, 11 progress bytes, complete
    for (size_t i = 2; i < 13; ++i) EXPECT_EQ(out[i].delay_ns, 100'000'000) << i;
    EXPECT_EQ(out[13].delay_ns, 0);
    ASSERT_TRUE(out[13].on_sent);
    EXPECT_EQ(out[13].on_sent->name(), "erase_end");
}

TEST(BootLoaderTiming, QuietLineEndsSyncRunAndAbandonedExchange)
{
    DeviceHarness h;
    h.Send(SyncExchanges(3));
    h.Quiet(200);
    EXPECT_EQ(h.sink.Count("sync"), 0);
    h.Quiet(300);
    EXPECT_EQ(h.sink.Last("sync", "count"), "3");

    h.Send(Concat({Erase(10), Le32(10), {1, 2}}));
    h.Quiet(4000);
    EXPECT_EQ(h.sink.Count("abandoned"), 0) << "the host waits up to 4000 ms itself";
    h.Quiet(5000);
    EXPECT_EQ(h.sink.Last("abandoned", "state"), "\"transfer_data\"");
    EXPECT_EQ(Hex(h.Send(Handshake(0x52))), "52 5C 00 ");
    EXPECT_EQ(h.sink.Count("violation"), 0);
}

TEST(BootLoaderTiming, PausesAreMeasured)
{
    DeviceHarness h;  // bytes 1 ms apart
    h.Send(Concat({Handshake(0x54), {0x07}}));
    EXPECT_EQ(h.sink.Last("national_write", "pause_ms"), "1");
    EXPECT_EQ(h.sink.Last("national_write", "code"), "\"0x07\"");
}

}  // namespace
}  // namespace x7sim_test
