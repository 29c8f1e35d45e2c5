// The start-up check: its arithmetic, and both passes over real files.
#include <windows.h>

#include <algorithm>

#include "image/image.h"
#include "image/image_check.h"
#include "image_test_support.h"
#include "tools/mkimage/image_maker.h"

namespace {

Image_Sums Sums_Of(const Bytes& bytes)
{
    Image_Sums sums;
    Add_Unsigned_Bytes(sums.Unsigned_Sum, bytes.data(), bytes.size());
    Add_Signed_Bytes(sums.Signed_Sum, bytes.data(), bytes.size());
    return sums;
}

Bytes Repeat(std::initializer_list<uint8_t> pattern, size_t count)
{
    Bytes bytes;
    while (bytes.size() < count)
        bytes.insert(bytes.end(), pattern);
    bytes.resize(count);
    return bytes;
}

struct Sums_Case {
    const char* name;
    Bytes bytes;
    uint32_t unsigned_sum, signed_sum;
};

TEST(Image_Check_Sums, CasesThatMatter)
{
    Bytes low;
    for (int i = 0; i < 128 * 3; ++i)
        low.push_back(static_cast<uint8_t>(i % 128));
    const Sums_Case cases[] = {
        {"empty", {}, 0, 0},
        {"three bytes", {0x80, 0x01, 0xFF}, 0x180, 0xFFFFFF80},
        {"all below 0x80", low, 3 * 8128, 3 * 8128},
        {"0x80 alone", {0x80}, 0x80, 0xFFFFFF80},
        {"0x7F alone", {0x7F}, 0x7F, 0x7F},
    };
    for (const auto& c : cases) {
        Image_Sums sums = Sums_Of(c.bytes);
        EXPECT_EQ(sums.Unsigned_Sum, c.unsigned_sum) << c.name;
        EXPECT_EQ(sums.Signed_Sum, c.signed_sum) << c.name;
        EXPECT_FALSE(Image_Check_Passes(sums)) << c.name;
    }
    EXPECT_EQ(Image_Check_Value(Sums_Of({0x80, 0x01, 0xFF})), 0xFFFFFE00u);
    EXPECT_EQ(Image_Check_Value(Sums_Of(low)), 0u);
}

TEST(Image_Check_Sums, WrapModulo2To32)
{
    uint32_t sum = 0xFFFFFFFFu;
    Bytes two = {0x02};
    Add_Unsigned_Bytes(sum, two.data(), 1);
    EXPECT_EQ(sum, 1u);
    sum = 0;
    Bytes ff(70000, 0xFF);
    Add_Signed_Bytes(sum, ff.data(), ff.size());
    EXPECT_EQ(sum, static_cast<uint32_t>(-70000));
}

// The sums work eight bytes at a time: every length and alignment must give
// what adding one byte at a time gives.
TEST(Image_Check_Sums, MatchByteByByteAtEveryLengthAndAlignment)
{
    Bytes bytes(20000);
    uint32_t x = 12345;
    for (auto& b : bytes)
        b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 23);
    std::fill(bytes.begin() + 3000, bytes.begin() + 6000, 0xFF); // lanes at their fullest
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length : {0, 1, 7, 8, 9, 15, 17, 1023, 1024, 1025, 2048, 4095, 4096, 4097, 10007, 19992}) {
            uint32_t u = 0, s = 0, expected_u = 0, expected_s = 0;
            for (size_t i = offset; i < offset + length; ++i) {
                expected_u += bytes[i];
                expected_s += static_cast<uint32_t>(static_cast<int8_t>(bytes[i]));
            }
            Add_Unsigned_Bytes(u, bytes.data() + offset, length);
            Add_Signed_Bytes(s, bytes.data() + offset, length);
            EXPECT_EQ(u, expected_u) << offset << "+" << length;
            EXPECT_EQ(s, expected_s) << offset << "+" << length;
        }
    }
}

// The file is read in chunks: sums over pieces must add up to the sums of the whole.
TEST(Image_Check_Sums, PiecesAddUpToTheWhole)
{
    const Bytes& image = Passing_Image(MIN_PASSING_IMAGE_SIZE);
    Image_Sums whole = Sums_Of(image), pieces;
    for (size_t at = 0, piece = 1; at < image.size(); at += piece, piece = piece * 3 + 1) {
        size_t n = std::min(piece, image.size() - at);
        Add_Unsigned_Bytes(pieces.Unsigned_Sum, image.data() + at, n);
        Add_Signed_Bytes(pieces.Signed_Sum, image.data() + at, n);
    }
    EXPECT_EQ(pieces.Unsigned_Sum, whole.Unsigned_Sum);
    EXPECT_EQ(pieces.Signed_Sum, whole.Signed_Sum);
    EXPECT_TRUE(Image_Check_Passes(whole));
}

// Neither the order of the bytes nor zero bytes anywhere change the verdict,
// for a passing image and for a failing one.
TEST(Image_Check_Sums, OrderAndZeroBytesNeverChangeTheVerdict)
{
    Bytes failing = Passing_Image(6000000);
    ASSERT_TRUE(Spoil_Image(failing, 12345));
    for (const Bytes* original : {&Passing_Image(6000000), static_cast<const Bytes*>(&failing)}) {
        uint32_t value = Image_Check_Value(Sums_Of(*original));
        Bytes reversed(original->rbegin(), original->rend());
        Bytes sorted = *original;
        std::sort(sorted.begin(), sorted.end());
        Bytes padded = *original;
        padded.insert(padded.begin() + 777, 5000, 0);
        padded.insert(padded.begin(), 3, 0);
        padded.insert(padded.end(), 70000, 0);
        for (const Bytes* changed : {&reversed, &sorted, &padded})
            EXPECT_EQ(Image_Check_Value(Sums_Of(*changed)), value);
    }
}

using Image_Check_File = Image_Test;

TEST_F(Image_Check_File, MissingFileOrFolderCannotBeOpened)
{
    Image_Sums sums;
    EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Cannot_Open);
    ASSERT_TRUE(CreateDirectoryA(IMAGE_FILE_NAME, nullptr));
    EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Cannot_Open);
}

TEST_F(Image_Check_File, SmallFilesFail)
{
    const std::pair<Bytes, uint32_t> cases[] = {
        {{}, 0u}, {Repeat({0x00, 0x41, 0x7F, 0x12}, 100000), 0u}, {{0x80, 0x01, 0xFF}, 0xFFFFFE00u}};
    for (const auto& [bytes, value] : cases) {
        Write_File(IMAGE_FILE_NAME, bytes);
        Image_Sums sums;
        EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Content_Fails) << bytes.size();
        EXPECT_EQ(Image_Check_Value(sums), value) << bytes.size();
    }
}

// Sizes around the 64 KiB chunks and the 16 MiB buffer: the check itself has
// no size limit.
TEST_F(Image_Check_File, GeneratedImagesPassAndOneFlippedByteFails)
{
    for (uint64_t size : {MIN_PASSING_IMAGE_SIZE, uint64_t(6291456), uint64_t(6291457), uint64_t(16777216),
                          uint64_t(16777217)}) {
        const Bytes& image = Passing_Image(size);
        Write_File(IMAGE_FILE_NAME, image);
        Image_Sums sums;
        EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Passed) << size;
        EXPECT_EQ(Image_Check_Value(sums), IMAGE_CHECK_VALUE) << size;

        for (size_t index : {size_t(0), image.size() / 2, image.size() - 1}) {
            Bytes spoiled = image;
            Spoil_Image(spoiled, index);
            Write_File(IMAGE_FILE_NAME, spoiled);
            EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Content_Fails)
                << size << " flipped at " << index;
        }
    }
}

TEST_F(Image_Check_File, TheNameIgnoresLetterCase)
{
    Write_File("x7q2-zemu-tw-r103-0-v4_4_0.BIN", Passing_Image(6000000));
    Image_Sums sums;
    EXPECT_EQ(Check_Image_File(IMAGE_FILE_NAME, sums), Image_Check_Result::Passed);
}

} // namespace
