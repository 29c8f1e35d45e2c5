// The x7sim program end to end through its pty: the protocol on a real
// line, the files it writes, plugging, hang-up, pacing and its exit status.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "device_harness.h"
#include "sim_process.h"

namespace x7sim_test {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The host's side of one command handshake; false on any wrong reply.
bool Command(SimProcess& sim, uint8_t command)
{
    return sim.Write({command}) && sim.Read(1) == Bytes{command} && sim.Write({0xA3}) &&
           sim.Read(1) == Bytes{0x5C} && sim.Write({0xA5});
}

bool Sync(SimProcess& sim, int exchanges)
{
    for (int i = 0; i < exchanges; ++i)
        if (!Command(sim, 0x58) || !sim.Write({0x55}) || sim.Read(1, 100) != Bytes{0xAA}) return false;
    return true;
}

// Send_Data as the host does it: length, 20 ms, blocks each awaiting 0xAA, tail, checksum.
Bytes SendData(SimProcess& sim, const Bytes& image, size_t block)
{
    sim.Write(Le32(static_cast<uint32_t>(image.size())));
    Pause(20);
    size_t offset = 0;
    for (; offset + block <= image.size(); offset += block) {
        sim.Write(Bytes(image.begin() + offset, image.begin() + offset + block));
        Bytes ack = sim.Read(1, 2000);
        if (ack != Bytes{0xAA}) return ack;
    }
    sim.Write(Bytes(image.begin() + offset, image.end()));
    sim.Write(Checksum(image));
    return sim.Read(1, 4000);
}

TEST(SimProcess, WholeUpdateRunThroughThePty)
{
    SimProcess sim({"--port", "7", "--national", "0xFE"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    ASSERT_TRUE(Sync(sim, 50));
    ASSERT_TRUE(Command(sim, 0x52));
    EXPECT_EQ(Hex(sim.Read(1)), "FE ");
    ASSERT_TRUE(Command(sim, 0x56));
    sim.Write(Le32(9000));
    EXPECT_EQ(Hex(sim.Read(12)), "00 0A 14 1E 28 32 3C 46 50 5A 64 A5 ");
    EXPECT_EQ(Hex(SendData(sim, ExampleImage(), 4000)), "A5 ");
    ASSERT_TRUE(Command(sim, 0x54));
    Pause(20);
    sim.Write({0x00});
    Pause(100);
    sim.Write({0x60});
    Pause(100);
    sim.ClosePort();

    EXPECT_EQ(sim.Stop(SIGTERM), 0) << sim.Log();
    EXPECT_EQ(sim.EventNames(),
              "start plugged sync national_read erase erase_end transfer block block image national_write finish "
              "unplugged stopped");
    EXPECT_EQ(SimProcess::Field(sim.Events("sync").at(0), "count"), "50");
    EXPECT_EQ(SimProcess::Field(sim.Events("image").at(0), "checksum"), "0x44 0xD6");
    EXPECT_EQ(SimProcess::Field(sim.Events("stopped").at(0), "reason"), "signal");
    const int pause = std::stoi(SimProcess::Field(sim.Events("national_write").at(0), "pause_ms"));
    EXPECT_GE(pause, 15);
    EXPECT_TRUE(sim.Captured() == ExampleImage());
    EXPECT_FALSE(sim.Exists("com7")) << "the link goes with the handset";
}

TEST(SimProcess, ViolationMakesExitStatusOne)
{
    SimProcess sim({"--port", "7"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    sim.Write({0x58, 0xA3});  // the challenge before the echo was read
    Pause(100);
    EXPECT_EQ(sim.Stop(0), 1);
    EXPECT_EQ(SimProcess::Field(sim.Events("stopped").at(0), "violations"), "1");
    EXPECT_EQ(SimProcess::Field(sim.Events("stopped").at(0), "reason"), "stop-file");
    EXPECT_NE(sim.Log().find("violation"), std::string::npos);
}

TEST(SimProcess, UsageErrorsExitTwo)
{
    for (auto args : std::vector<std::vector<std::string>>{{"--port", "7", "--fault", "melt"}, {"--portt", "7"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.Wait(5000), 2);
        EXPECT_NE(sim.Log().find("x7sim --help"), std::string::npos) << sim.Log();
        EXPECT_FALSE(sim.Exists("ready"));
    }
}

TEST(SimProcess, SetUpFailureExitsThreeAndCleansUp)
{
    SimProcess sim({"--port", "7", "--register", "--wineprefix", "/nonexistent", "--wine", "/bin/false"});
    EXPECT_EQ(sim.Wait(10000), 3);
    EXPECT_EQ(SimProcess::Field(sim.Events("stopped").at(0), "reason"), "error");
    EXPECT_FALSE(sim.Exists("com7"));
    EXPECT_FALSE(sim.Exists("ready"));
}

TEST(SimProcess, LifetimeEndsTheRun)
{
    const auto start = Clock::now();
    SimProcess sim({"--port", "7", "--lifetime", "1"});
    EXPECT_EQ(sim.Wait(5000), 0);
    EXPECT_GE(Seconds(start), 0.9);
    EXPECT_EQ(SimProcess::Field(sim.Events("stopped").at(0), "reason"), "lifetime");
}

TEST(SimProcess, PlugAfterDelaysTheLink)
{
    const auto start = Clock::now();
    SimProcess sim({"--port", "7", "--plug-after", "400"});
    ASSERT_TRUE(sim.WaitReady());
    EXPECT_FALSE(sim.Exists("com7"));
    while (!sim.Exists("com7") && Seconds(start) < 5) Pause(5);
    EXPECT_GE(Seconds(start), 0.35);
    EXPECT_LT(Seconds(start), 2.0);
    ASSERT_TRUE(sim.OpenPort());
    EXPECT_TRUE(Sync(sim, 1));
}

TEST(SimProcess, StaleBytesWaitOnTheLine)
{
    SimProcess sim({"--port", "7", "--stale", "0x12,0x34,0x0D,0x0A"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    EXPECT_EQ(Hex(sim.Read(4)), "12 34 0D 0A ");
}

// A handset started on a port that another still holds takes it over; the
// first one, stopping later, leaves the newcomer's link alone.
TEST(SimProcess, SecondHandsetOnThePortTakesItOver)
{
    SimProcess first({"--port", "7"});
    ASSERT_TRUE(first.WaitReady());
    SimProcess second({"--port", "7", "--ports-dir", first.Path("")});
    ASSERT_TRUE(second.WaitReady());
    EXPECT_EQ(first.LinkTarget(), second.PtyPath());
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_EQ(first.LinkTarget(), second.PtyPath());
    EXPECT_EQ(SimProcess::Field(first.Events("unplugged").at(0), "link_was_ours"), "false");
    EXPECT_EQ(second.Stop(), 0);
    EXPECT_EQ(first.LinkTarget(), "");
}

// Replies that the host never reads fill the pty; the handset must still
// notice its stop file.
TEST(SimProcess, HostThatStopsReadingCannotStallTheStop)
{
    SimProcess sim({"--port", "7", "--transfer-only", "--block", "4", "--filler", "300000"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    sim.Write(Concat({Le32(4), {1, 2, 3, 4}}));
    Pause(200);
    const auto start = Clock::now();
    EXPECT_EQ(sim.Stop(0, 3000), 0);
    EXPECT_LT(Seconds(start), 1.0);
}

TEST(SimProcess, SilentPortNeverAnswers)
{
    SimProcess sim({"--port", "7", "--silent"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    sim.Write({0x58});
    EXPECT_TRUE(sim.Read(1, 300).empty());
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimProcess, HangUpFailsReadsAndPullsTheLink)
{
    SimProcess sim({"--port", "7", "--transfer-only", "--block", "8", "--fault", "hangup-at-block=1"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    sim.Write(Le32(32));
    Pause(20);
    sim.Write(Bytes(8, 1));
    EXPECT_EQ(Hex(sim.Read(1)), "AA ");
    sim.Write(Bytes(8, 2));
    const auto start = Clock::now();
    EXPECT_TRUE(sim.Read(1, 2000).empty());
    EXPECT_NE(sim.read_error(), 0) << "the read fails rather than times out";
    EXPECT_LT(Seconds(start), 1.0);
    EXPECT_FALSE(sim.Exists("com7"));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(SimProcess::Field(sim.Events("unplugged").at(0), "reason"), "hangup");
    EXPECT_EQ(sim.Captured().size(), 8u);
}

// The timed faults on a real line: a late echo, a slow flood, a hang-up a
// while after a reply, and the wall-clock time of the start for the tests.
TEST(SimProcess, TimedFaultsThroughThePty)
{
    const int64_t before_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    SimProcess sim({"--port", "7", "--fault", "late=400@0", "--fault", "flood=4:100@1", "--fault", "hangup=2+200"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    auto start = Clock::now();
    sim.Write({0x58});
    EXPECT_EQ(Hex(sim.Read(1, 1000)), "58 ");
    EXPECT_GE(Seconds(start), 0.39);
    EXPECT_LT(Seconds(start), 1.0);

    start = Clock::now();
    sim.Write({0xA3});
    EXPECT_EQ(Hex(sim.Read(5, 2000)), "55 55 55 55 5C ");
    EXPECT_GE(Seconds(start), 0.39) << "4 fillers 100 ms apart, the reply 100 ms after the last";
    EXPECT_LT(Seconds(start), 1.5);

    sim.Write({0xA5, 0x55});
    EXPECT_EQ(Hex(sim.Read(1, 1000)), "AA ");
    start = Clock::now();
    EXPECT_TRUE(sim.Read(1, 2000).empty());
    EXPECT_NE(sim.read_error(), 0);
    EXPECT_GE(Seconds(start), 0.1);
    EXPECT_LT(Seconds(start), 1.5);
    EXPECT_FALSE(sim.Exists("com7"));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(SimProcess::Field(sim.Events("unplugged").at(0), "reason"), "hangup");
    EXPECT_EQ(sim.Events("fault").size(), 3u);
    EXPECT_EQ(sim.Events("resumed").size(), 2u) << "after the late echo and after the flood";

    const int64_t epoch_ms = std::stoll(SimProcess::Field(sim.Events("start").at(0), "epoch_ms"));
    EXPECT_GE(epoch_ms, before_ms - 50);
    EXPECT_LT(epoch_ms, before_ms + 5000);
}

TEST(SimProcess, EraseTakesItsTime)
{
    SimProcess sim({"--port", "7", "--erase", "0,50,100", "--erase-ms", "600"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    ASSERT_TRUE(Command(sim, 0x56));
    const auto start = Clock::now();
    sim.Write(Le32(10));
    EXPECT_EQ(Hex(sim.Read(4, 3000)), "00 32 64 A5 ");
    EXPECT_GE(Seconds(start), 0.59);
    EXPECT_LT(Seconds(start), 1.5);
}

// 50 sync exchanges put 4 host bytes and 3 handset bytes each on the line.
TEST(SimPacing, SyncAt9600Baud)
{
    SimProcess sim({"--port", "7", "--baud", "9600"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    const auto start = Clock::now();
    ASSERT_TRUE(Sync(sim, 50));
    const double ideal = 50 * 7 * 10 / 9600.0;
    const double elapsed = Seconds(start);
    EXPECT_GE(elapsed, 0.98 * ideal);
    EXPECT_LT(elapsed, 2.0 * ideal);
}

// The image at 921600 baud: never faster than the line, and close to it, so
// that the host's efficiency can be measured against it.
TEST(SimPacing, TransferAt921600Baud)
{
    const size_t block = 4000, blocks = 64;
    SimProcess sim({"--port", "7", "--baud", "921600", "--transfer-only"});
    ASSERT_TRUE(sim.WaitReady());
    ASSERT_TRUE(sim.OpenPort());
    Bytes image(block * blocks);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 131);

    sim.Write(Le32(static_cast<uint32_t>(image.size())));
    Pause(20);
    const auto start = Clock::now();
    for (size_t b = 0; b < blocks; ++b) {
        sim.Write(Bytes(image.begin() + b * block, image.begin() + (b + 1) * block));
        ASSERT_EQ(Hex(sim.Read(1, 2000)), "AA ") << b;
    }
    sim.Write(Checksum(image));
    ASSERT_EQ(Hex(sim.Read(1, 4000)), "A5 ");
    const double elapsed = Seconds(start);
    const double ideal = (image.size() + 2 + blocks + 1) * 10 / 921600.0;
    EXPECT_GE(elapsed, 0.99 * ideal) << "faster than the line";
    EXPECT_GE(ideal / elapsed, 0.85) << "elapsed " << elapsed << " s, line " << ideal << " s";
    EXPECT_TRUE(sim.Captured().empty() || sim.Captured() == image);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_TRUE(sim.Captured() == image);
}

}  // namespace
}  // namespace x7sim_test
