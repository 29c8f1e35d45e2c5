// The image maker on the host: passing images at every size that matters,
// nothing below the smallest, determinism, varied content, spoiling, and the
// mkimage command itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "tools/mkimage/image_maker.h"

namespace {

constexpr uint64_t MIB = 1048576;

struct Size_And_Seed {
    uint64_t size, seed;
};

class Image_Sizes : public ::testing::TestWithParam<Size_And_Seed> {};

TEST_P(Image_Sizes, PassesTheCheckAtExactlyThatSize)
{
    std::vector<uint8_t> image;
    ASSERT_TRUE(Make_Passing_Image(GetParam().size, GetParam().seed, image));
    EXPECT_EQ(image.size(), GetParam().size);
    EXPECT_EQ(Reference_Check_Value(image.data(), image.size()), MAKER_CHECK_VALUE);
}

// The smallest sizes, where the check leaves almost no freedom; the sizes the
// tests and benchmarks use; the edges of the program's 16 MiB buffer.
INSTANTIATE_TEST_SUITE_P(Sizes, Image_Sizes,
                         ::testing::Values(Size_And_Seed{MIN_PASSING_IMAGE_SIZE, 1}, Size_And_Seed{MIN_PASSING_IMAGE_SIZE, 2},
                                           Size_And_Seed{MIN_PASSING_IMAGE_SIZE + 1, 3},
                                           Size_And_Seed{MIN_PASSING_IMAGE_SIZE + 95, 4},
                                           Size_And_Seed{MIN_PASSING_IMAGE_SIZE + 4096, 5}, Size_And_Seed{6000000, 6},
                                           Size_And_Seed{6 * MIB, 7}, Size_And_Seed{16 * MIB - 1, 8},
                                           Size_And_Seed{16 * MIB, 9}, Size_And_Seed{16 * MIB + 1, 10},
                                           Size_And_Seed{100000000, 11}));

TEST(Image_Maker, RefusesSizesOutsideItsRange)
{
    for (uint64_t size : {uint64_t(0), uint64_t(1), MIN_PASSING_IMAGE_SIZE - 1, MAX_MADE_IMAGE_SIZE + 1}) {
        std::vector<uint8_t> image(3, 0xAA);
        EXPECT_FALSE(Make_Passing_Image(size, 1, image)) << size;
        EXPECT_TRUE(image.empty()) << size;
    }
}

TEST(Image_Maker, TheSeedDecidesTheBytes)
{
    std::vector<uint8_t> a, b, c;
    ASSERT_TRUE(Make_Passing_Image(6 * MIB, 5, a));
    ASSERT_TRUE(Make_Passing_Image(6 * MIB, 5, b));
    ASSERT_TRUE(Make_Passing_Image(6 * MIB, 6, c));
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
}

// Firmware-like: a readable header, every byte value present, and no two
// transfer blocks (4000 bytes) alike, so that their checksums tell them apart.
TEST(Image_Maker, ContentVariesFromBlockToBlock)
{
    for (uint64_t size : {uint64_t(6000000), 16 * MIB}) {
        std::vector<uint8_t> image;
        ASSERT_TRUE(Make_Passing_Image(size, 3, image));
        EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(image.data()), 9), "ZEMU X7Q2");
        std::set<uint8_t> values(image.begin(), image.end());
        EXPECT_EQ(values.size(), 256u) << size;
        std::set<std::string> blocks;
        size_t count = 0;
        for (size_t at = 0; at < image.size(); at += 4000, ++count)
            blocks.emplace(image.begin() + at, image.begin() + std::min(image.size(), at + 4000));
        EXPECT_EQ(blocks.size(), count) << size;
    }
}

TEST(Image_Maker, OneSpoiledByteFailsWherever)
{
    std::vector<uint8_t> image;
    ASSERT_TRUE(Make_Passing_Image(MIN_PASSING_IMAGE_SIZE + 1000, 9, image));
    for (size_t index : {size_t(0), size_t(1), image.size() / 2, image.size() - 1}) {
        std::vector<uint8_t> spoiled = image;
        ASSERT_TRUE(Spoil_Image(spoiled, index));
        EXPECT_FALSE(Reference_Check_Passes(spoiled)) << index;
        EXPECT_EQ(spoiled[index] ^ image[index], 0x80);
    }
    EXPECT_FALSE(Spoil_Image(image, image.size()));
    EXPECT_TRUE(Reference_Check_Passes(image));
}

TEST(Image_Maker, ParsesSizes)
{
    const std::pair<const char*, uint64_t> good[] = {
        {"0", 0}, {"5715489", 5715489}, {"64K", 65536}, {"6000k", 6144000}, {"16M", 16 * MIB}, {"100m", 100 * MIB}};
    for (auto [text, expected] : good) {
        uint64_t size = 1;
        EXPECT_TRUE(Parse_Image_Size(text, size)) << text;
        EXPECT_EQ(size, expected) << text;
    }
    for (const char* text : {"", "K", "12X", "1.5M", "-1", " 16M", "16M ", "16MB", "18446744073709551616",
                             "18014398509481984K"}) {
        uint64_t size = 0;
        EXPECT_FALSE(Parse_Image_Size(text, size)) << text;
    }
}

// The command, end to end.
int Run_Mkimage(const std::string& args)
{
    int status = std::system((std::string(MKIMAGE_PATH) + " " + args + " >mkimage.out 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> Read_All(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Output()
{
    auto bytes = Read_All("mkimage.out");
    return {bytes.begin(), bytes.end()};
}

TEST(Mkimage_Command, WritesAPassingImageOfTheGivenSize)
{
    std::remove("cmd.bin");
    ASSERT_EQ(Run_Mkimage("--seed 12 5600K cmd.bin"), 0) << Output();
    std::vector<uint8_t> written = Read_All("cmd.bin"), made;
    EXPECT_EQ(written.size(), 5600u * 1024);
    EXPECT_TRUE(Reference_Check_Passes(written));
    ASSERT_TRUE(Make_Passing_Image(5600 * 1024, 12, made));
    EXPECT_TRUE(written == made);
    std::remove("cmd.bin");
}

TEST(Mkimage_Command, ExplainsWhatItRefuses)
{
    std::remove("small.bin");
    EXPECT_EQ(Run_Mkimage("5715488 small.bin"), 1);
    EXPECT_NE(Output().find("too small: no file shorter than 5715489 bytes passes"), std::string::npos) << Output();
    EXPECT_TRUE(Read_All("small.bin").empty());
    EXPECT_EQ(Run_Mkimage("6M"), 2);
    EXPECT_NE(Output().find("usage: mkimage [--seed N] SIZE OUTPUT"), std::string::npos) << Output();
    EXPECT_EQ(Run_Mkimage("six small.bin"), 2);
    EXPECT_EQ(Run_Mkimage("--seed x 6M small.bin"), 2);
    EXPECT_EQ(Run_Mkimage("6M no/such/folder/x.bin"), 1);
    EXPECT_NE(Output().find("cannot write"), std::string::npos) << Output();
}

} // namespace
