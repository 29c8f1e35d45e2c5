// The command line: what each option sets, and the errors a typo gets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "byte_list.h"
#include "options.h"

namespace {

using x7sim::SimOptions;

SimOptions Parse(std::vector<std::string> args, std::string* error = nullptr)
{
    SimOptions o;
    std::string e;
    bool ok = x7sim::ParseOptions(args, o, e);
    if (error) *error = ok ? "" : e;
    return o;
}

class OptionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("X7_PORTS_DIR");
        unsetenv("WINEPREFIX");
    }
};

TEST_F(OptionsTest, EveryOptionSetsItsField)
{
    std::string error;
    SimOptions o = Parse({"--port", "7", "--ports-dir", "/p", "--register", "--wineprefix", "/w", "--plug-after",
                          "1500", "--baud=921600", "--national", "0xfe", "--erase", "0,0x32,100", "--erase-ms", "300",
                          "--filler", "3", "--block", "1024", "--stale", "12,0x34", "--fault", "block-nack=2",
                          "--fault", "garbage=55AA@3", "--capture", "c", "--transcript", "t", "--ready", "r",
                          "--stop", "s", "--log", "l", "--lifetime", "9"},
                         &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(o.port, 7u);
    EXPECT_EQ(o.ports_dir, "/p");
    EXPECT_TRUE(o.register_port);
    EXPECT_EQ(o.wineprefix, "/w");
    EXPECT_EQ(o.plug_after_ms, 1500);
    EXPECT_EQ(o.baud, 921600u);
    EXPECT_EQ(o.device.national, 0xFE);
    EXPECT_EQ(o.device.erase_progress, (std::vector<uint8_t>{0, 0x32, 100}));
    EXPECT_EQ(o.device.erase_ns, 300'000'000);
    EXPECT_EQ(o.device.filler, 3u);
    EXPECT_EQ(o.device.block, 1024u);
    EXPECT_EQ(o.stale, (std::vector<uint8_t>{0x12, 0x34}));
    ASSERT_EQ(o.device.faults.size(), 2u);
    EXPECT_EQ(o.device.faults[0].index, 2u);
    EXPECT_EQ(o.device.faults[1].index, 3u);
    EXPECT_EQ(o.device.faults[1].bytes, (std::vector<uint8_t>{0x55, 0xAA}));
    EXPECT_EQ(o.capture, "c");
    EXPECT_EQ(o.transcript, "t");
    EXPECT_EQ(o.ready, "r");
    EXPECT_EQ(o.stop, "s");
    EXPECT_EQ(o.log, "l");
    EXPECT_EQ(o.lifetime_s, 9);
}

TEST(FaultSpecs, TimedFaultsKeepTheirNumbers)
{
    struct Expected {
        const char* fault_text;
        x7sim::FaultKind kind;
        uint32_t index, count;
        int64_t ms;
        bool after;
    };
    using K = x7sim::FaultKind;
    for (const Expected& e : {Expected{"late=3500@152", K::Late, 152, 0, 3500, false},
                              Expected{"flood=100000@1595", K::Flood, 1595, 100000, 0, false},
                              Expected{"flood=200:25@170", K::Flood, 170, 200, 25, false},
                              Expected{"drop=153", K::Drop, 153, 0, 0, false},
                              Expected{"hangup=160", K::Hangup, 160, 0, 0, false},
                              Expected{"hangup=1595+300", K::Hangup, 1595, 0, 300, true},
                              Expected{"mute=40", K::Mute, 40, 0, 0, false}}) {
        std::string error;
        auto f = x7sim::ParseFault(e.fault_text, error);
        ASSERT_TRUE(f) << e.fault_text << ": " << error;
        EXPECT_EQ(f->kind, e.kind) << e.fault_text;
        EXPECT_EQ(f->index, e.index) << e.fault_text;
        EXPECT_EQ(f->count, e.count) << e.fault_text;
        EXPECT_EQ(f->ms, e.ms) << e.fault_text;
        EXPECT_EQ(f->after, e.after) << e.fault_text;
    }
}

TEST_F(OptionsTest, DefaultsAndEnvironment)
{
    setenv("X7_PORTS_DIR", "/env/ports", 1);
    setenv("WINEPREFIX", "/env/prefix", 1);
    std::string error;
    SimOptions o = Parse({"--port", "4", "--register"}, &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(o.ports_dir, "/env/ports");
    EXPECT_EQ(o.wineprefix, "/env/prefix");
    EXPECT_EQ(o.device.national, 0);
    EXPECT_EQ(o.device.erase_progress.size(), 11u);
    EXPECT_EQ(o.device.block, 4000u);
    EXPECT_EQ(o.baud, 0u);
    EXPECT_EQ(o.lifetime_s, 300);
    EXPECT_TRUE(Parse({"--help"}).help);
}

TEST_F(OptionsTest, EmptyEraseListIsAllowed)
{
    std::string error;
    SimOptions o = Parse({"--port", "4", "--ports-dir", "/p", "--erase", ""}, &error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(o.device.erase_progress.empty());
}

struct BadLine {
    std::vector<std::string> args;
    const char* error_mentions;
};

void PrintTo(const BadLine& line, std::ostream* os)
{
    for (const auto& a : line.args) *os << a << ' ';
}

class BadCommandLines : public OptionsTest, public testing::WithParamInterface<BadLine> {};

TEST_P(BadCommandLines, Rejected)
{
    std::string error;
    Parse(GetParam().args, &error);
    EXPECT_NE(error.find(GetParam().error_mentions), std::string::npos) << "error: " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadCommandLines,
    testing::Values(BadLine{{"--ports-dir", "/p"}, "--port is required"},
                    BadLine{{"--port", "7"}, "X7_PORTS_DIR"},
                    BadLine{{"--port", "0", "--ports-dir", "/p"}, "--port"},
                    BadLine{{"--port", "256", "--ports-dir", "/p"}, "--port"},
                    BadLine{{"--port", "7x", "--ports-dir", "/p"}, "--port"},
                    BadLine{{"--port"}, "needs a value"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--bogus"}, "unknown option"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "extra"}, "unknown option"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--silent=1"}, "takes no value"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--national", "100"}, "--national"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--national", "0xG1"}, "--national"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--erase", "0,256"}, "--erase"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--erase", "0,,10"}, "--erase"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--baud", "-1"}, "--baud"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--block", "0"}, "--block"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--lifetime", "0"}, "--lifetime"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--stale", "123"}, "--stale"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--register"}, "Wine prefix"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--silent", "--transfer-only"}, "exclude"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "block-nack"}, "number"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "erase-fail=0x50"}, "above 100"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "erase-fail=0xA5"}, "above 100"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "garbage="}, "at least one"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "garbage=55@x"}, "after @"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "silent-after-sync=1"}, "no value"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "melt"}, "unknown fault"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "late=100"}, "MS@REPLY"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "late=x@3"}, "MS@REPLY"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "flood=0@3"}, "COUNT"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "flood=5:@3"}, "COUNT"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "drop"}, "number"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "hangup=3+"}, "REPLY+MS"},
                    BadLine{{"--port", "7", "--ports-dir", "/p", "--fault", "mute=-1"}, "number"}));

TEST(ByteLists, HexBytesAcceptTheUsualSpellings)
{
    using x7sim::ParseHexBytes;
    const std::vector<uint8_t> expected{0x55, 0xAA};
    for (const char* text : {"55AA", "0x55AA", "55,AA", "0x55,0xaa", "55 aa"}) {
        auto bytes = ParseHexBytes(text);
        ASSERT_TRUE(bytes) << text;
        EXPECT_EQ(*bytes, expected) << text;
    }
    EXPECT_EQ(*ParseHexBytes("7"), std::vector<uint8_t>{7});
    EXPECT_FALSE(ParseHexBytes("5AA"));
    EXPECT_FALSE(ParseHexBytes("0x"));
    EXPECT_FALSE(ParseHexBytes("zz"));
}

}  // namespace
