// The boot loader protocol end to end: CComport through Wine's serial path on
// a pty, the simulated handset on the other end checking every byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "serial/comport.h"
#include "sim_handset.h"
#include "tests/serial/stopwatch.h"
#include "vcl/application.h"
#include "vcl/progress_bar.h"

namespace {

constexpr int PORT = 7;

std::vector<std::string> Args(std::vector<std::string> extra)
{
    extra.insert(extra.begin(), {"--port", std::to_string(PORT)});
    return extra;
}

// The bar's position at every message pump, that is before every read, write
// and queue query of the port.
class Bar_At_Pumps {
public:
    explicit Bar_At_Pumps(CComport& port)
    {
        port.Set_ProgressBar(&bar);
        current_ = this;
        TApplication::Pump_Hook = [] { current_->samples.push_back(current_->bar.Position()); };
    }
    ~Bar_At_Pumps()
    {
        TApplication::Pump_Hook = nullptr;
        current_ = nullptr;
    }

    TProgressBar bar;
    std::vector<int> samples;

private:
    static inline Bar_At_Pumps* current_ = nullptr;
};

std::vector<uint8_t> Worked_Example_Image()
{
    std::vector<uint8_t> image(9000, 0);
    image[0] = 0x12;
    image[1] = 0x34;
    image[2] = 0x56;
    image[3] = 0x78;
    image[8999] = 0x9A;
    return image;
}

std::vector<uint8_t> Pattern(size_t length)
{
    std::vector<uint8_t> image(length);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return image;
}

#define OPEN(sim, port)                                   \
    ASSERT_TRUE((sim).Started()) << (sim).Error();        \
    ASSERT_TRUE((port).Open_Port(Com_Path(PORT)))

// ---- Sync and national code

TEST(ProtocolLine, SyncIsFiftyExchanges)
{
    SimHandset sim(Args({}));
    CComport port;
    OPEN(sim, port);
    EXPECT_TRUE(port.Sync_Target());
    port.Close_Port();
    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    const auto sync = sim.Events("sync");
    ASSERT_EQ(sync.size(), 1u);
    EXPECT_EQ(SimHandset::Field(sync[0], "count"), "50");
}

TEST(ProtocolLine, SyncFailsOnTheFiftiethMissAfterItsHundredMilliseconds)
{
    SimHandset sim(Args({"--fault", "sync-miss=49"}));
    CComport port;
    OPEN(sim, port);
    Stopwatch clock;
    EXPECT_FALSE(port.Sync_Target());
    EXPECT_TOOK_ABOUT(clock.Ms(), 100);
    port.Close_Port();
    ASSERT_TRUE(sim.Stop()) << sim.Error();
    const auto sync = sim.Events("sync");
    ASSERT_EQ(sync.size(), 1u);
    EXPECT_EQ(SimHandset::Field(sync[0], "count"), "49");
}

TEST(ProtocolLine, AFillerInPlaceOfTheEchoOrResponseFailsTheHandshakeAtOnce)
{
    for (const char* fault : {"garbage=55", "garbage=55@1"}) {
        SCOPED_TRACE(fault);
        SimHandset sim(Args({"--fault", fault}));
        CComport port;
        OPEN(sim, port);
        Stopwatch clock;
        EXPECT_FALSE(port.Sync_Target());
        EXPECT_LT(clock.Ms(), 1500);
    }
}

TEST(ProtocolLine, NationalCodeReadWriteAndFinish)
{
    SimHandset sim(Args({"--national", "0xFE"}));
    CComport port;
    OPEN(sim, port);
    uint8_t code = 0;
    EXPECT_TRUE(port.Get_National_Code(code));
    EXPECT_EQ(code, 0xFE);
    EXPECT_TRUE(port.Set_National_Code(0x00));
    EXPECT_TRUE(port.Send_Finish());
    port.Close_Port();

    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    const auto read = sim.Events("national_read");
    const auto write = sim.Events("national_write");
    ASSERT_EQ(read.size(), 1u);
    ASSERT_EQ(write.size(), 1u);
    EXPECT_EQ(SimHandset::Field(read[0], "code"), "0xFE");
    EXPECT_EQ(SimHandset::Field(write[0], "code"), "0x00");
    EXPECT_GE(std::stoi(SimHandset::Field(write[0], "pause_ms")), 20);
    EXPECT_EQ(sim.Events("finish").size(), 1u);
}

TEST(ProtocolLine, NationalCodeReplyTimesOutAndLeavesTheCode)
{
    SimHandset sim(Args({"--fault", "no-national-reply"}));
    CComport port;
    OPEN(sim, port);
    uint8_t code = 0x33;
    Stopwatch clock;
    EXPECT_FALSE(port.Get_National_Code(code));
    EXPECT_TOOK_ABOUT(clock.Ms(), 1000);
    EXPECT_EQ(code, 0x33);
}

TEST(ProtocolLine, SilenceAfterTheSyncFailsTheNextCommandAfterItsEchoTimeOut)
{
    SimHandset sim(Args({"--fault", "silent-after-sync"}));
    CComport port;
    OPEN(sim, port);
    ASSERT_TRUE(port.Sync_Target());
    Sleep(500); // the handset falls silent once the host has been quiet a moment
    uint8_t code = 0x33;
    Stopwatch clock;
    EXPECT_FALSE(port.Get_National_Code(code));
    EXPECT_TOOK_ABOUT(clock.Ms(), 3000);
    EXPECT_EQ(code, 0x33);
}

// ---- Erase and image, as in an update

TEST(ProtocolLine, WorkedExamplesEraseThenSendNineThousandBytes)
{
    SimHandset sim(Args({"--erase", "0,10,10,5,50,100"}));
    CComport port;
    OPEN(sim, port);
    Bar_At_Pumps bar(port);

    EXPECT_TRUE(port.Erase_Flash(9000));
    // 56, echo, A3, 5C, A5, length, then 00 0A 0A 05 32 64 A5, then the queue query.
    EXPECT_EQ(bar.samples, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 10, 50, 0, 0}));
    EXPECT_EQ(bar.bar.Position(), 0);

    bar.samples.clear();
    const std::vector<uint8_t> image = Worked_Example_Image();
    EXPECT_TRUE(port.Send_Data(9000, image.data(), 4000, 1));
    // length, block, ack, block, ack, tail, checksum, reply
    EXPECT_EQ(bar.samples, (std::vector<int>{0, 0, 0, 4000, 4000, 8000, 0, 0}));
    EXPECT_EQ(bar.bar.Max(), 9000);
    EXPECT_EQ(bar.bar.Position(), 0);
    port.Close_Port();

    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
    EXPECT_EQ(sim.Captured(), image);
    const auto erase = sim.Events("erase");
    const auto done = sim.Events("image");
    ASSERT_EQ(erase.size(), 1u);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(SimHandset::Field(erase[0], "length"), "9000");
    EXPECT_EQ(SimHandset::Field(done[0], "checksum"), "0x44 0xD6");
    EXPECT_EQ(SimHandset::Field(done[0], "ok"), "true");
    EXPECT_GE(std::stoi(SimHandset::Field(done[0], "pause_ms")), 20);
    EXPECT_EQ(sim.Events("block").size(), 2u);
}

struct EraseCase {
    const char* name;
    std::vector<std::string> args;
    bool result;
    int bar;
};

const EraseCase ERASE_CASES[] = {
    {"0x55 reads as 85 percent", {"--erase", "85"}, true, 85},
    {"lower and repeated percentages ignored", {"--erase", "20,10,20,30"}, true, 30},
    {"a byte above 100 fails", {"--fault", "erase-fail=0x65"}, false, 40},
    {"a slow erase: every byte restarts the wait", {"--erase", "0,50,100", "--erase-ms", "4500"}, true, 0},
};

TEST(ProtocolLine, ErasePercentages)
{
    for (const EraseCase& c : ERASE_CASES) {
        SCOPED_TRACE(c.name);
        SimHandset sim(Args(c.args));
        CComport port;
        OPEN(sim, port);
        TProgressBar bar;
        port.Set_ProgressBar(&bar);
        EXPECT_EQ(port.Erase_Flash(9000), c.result);
        EXPECT_EQ(bar.Position(), c.bar);
    }
}

TEST(ProtocolLine, BytesQueuedAfterTheEraseReplyArePurged)
{
    // Two stray bytes right behind the 0xA5 (replies: echo, 5C, 50, 100, A5).
    SimHandset sim(Args({"--erase", "50,100", "--fault", "garbage=A50102@4"}));
    CComport port;
    OPEN(sim, port);
    EXPECT_TRUE(port.Erase_Flash(9000));
    uint8_t byte = 0;
    EXPECT_FALSE(port.Read_Data(&byte, 1, 200)) << "left over: " << int(byte);
}

// ---- Image transfers alone (the handset takes them as if erased before)

struct SendCase {
    const char* name;
    std::vector<uint8_t> image;
    uint32_t block;
    uint8_t flag;
    std::vector<std::string> args;
    bool result;
    size_t blocks;          // blocks the handset saw
    const char* checksum;   // as the handset recorded it; "" when no checksum came
    double took_about;      // 0: no time-out expected
};

const SendCase SEND_CASES[] = {
    {"worked example: five bytes", {1, 2, 3, 4, 5}, 4000, 1, {}, true, 0, "0x07 0x06", 0},
    {"exact multiple of the block", Pattern(8000), 4000, 1, {}, true, 2, "", 0},
    {"shorter than a block", Pattern(10), 4000, 1, {}, true, 0, "", 0},
    {"zero length", {}, 4000, 1, {}, true, 0, "0x00 0x00", 0},
    {"fillers before the acks and the reply", Pattern(9000), 4000, 1, {"--filler", "3"}, true, 2, "", 0},
    {"small blocks", Pattern(1000), 64, 1, {"--block", "64"}, true, 15, "", 0},
    {"no checksum: the handset still waits for it", Pattern(10), 4000, 0, {}, false, 0, "", 4000},
};

TEST(ProtocolLine, SendShapesOfImage)
{
    for (const SendCase& c : SEND_CASES) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        args.push_back("--transfer-only");
        SimHandset sim(Args(args));
        CComport port;
        OPEN(sim, port);
        Stopwatch clock;
        EXPECT_EQ(port.Send_Data(static_cast<uint32_t>(c.image.size()), c.image.data(), c.block, c.flag), c.result);
        const double took = clock.Ms();
        if (c.took_about > 0) {
            EXPECT_TOOK_ABOUT(took, c.took_about);
        }
        port.Close_Port();

        ASSERT_TRUE(sim.Stop()) << sim.Error();
        EXPECT_EQ(sim.Violations(), 0) << sim.Log();
        EXPECT_EQ(sim.Events("block").size(), c.blocks);
        const auto done = sim.Events("image");
        if (!c.result) {
            EXPECT_TRUE(done.empty());
            continue;
        }
        EXPECT_EQ(sim.Captured(), c.image);
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(SimHandset::Field(done[0], "ok"), "true");
        if (*c.checksum) {
            EXPECT_EQ(SimHandset::Field(done[0], "checksum"), c.checksum);
        }
    }
}

TEST(ProtocolLine, BlockSizeZeroSendsNothing)
{
    SimHandset sim(Args({"--transfer-only"}));
    CComport port;
    OPEN(sim, port);
    const std::vector<uint8_t> image = Pattern(100);
    EXPECT_FALSE(port.Send_Data(100, image.data(), 0, 1));
    port.Close_Port();
    ASSERT_TRUE(sim.Stop()) << sim.Error();
    EXPECT_TRUE(sim.Events("transfer").empty());
    EXPECT_EQ(sim.Violations(), 0) << sim.Log();
}

struct SendFault {
    const char* name;
    const char* fault;
    int bar;           // bytes acknowledged, or 0 once the whole image went out
    double took_about; // the time-out that ends it; 0: ends at once
};

const SendFault SEND_FAULTS[] = {
    {"second block not acknowledged", "block-nack=1", 4000, 2000},
    {"another byte in place of the first ack", "garbage=AB", 0, 0},
    {"wrong final reply", "final-reply=0x66", 0, 0},
    {"cable pulled during the second block", "hangup-at-block=1", 4000, -1},
};

TEST(ProtocolLine, SendFaultsEndWithFalseWithinTheirTimeOuts)
{
    const std::vector<uint8_t> image = Pattern(9000);
    for (const SendFault& c : SEND_FAULTS) {
        SCOPED_TRACE(c.name);
        SimHandset sim(Args({"--transfer-only", "--fault", c.fault}));
        CComport port;
        OPEN(sim, port);
        TProgressBar bar;
        port.Set_ProgressBar(&bar);
        Stopwatch clock;
        EXPECT_FALSE(port.Send_Data(9000, image.data(), 4000, 1));
        const double took = clock.Ms();
        if (c.took_about > 0) {
            EXPECT_TOOK_ABOUT(took, c.took_about);
        } else if (c.took_about == 0) {
            EXPECT_LT(took, 1500);
        } else {
            EXPECT_LT(took, 2000 + 2500); // a dead line: a failed write or the ack time-out
        }
        EXPECT_EQ(bar.Position(), c.bar);
    }
}

} // namespace
