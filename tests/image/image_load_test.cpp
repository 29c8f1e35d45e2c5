// The load at every update run: Parse_File, Initial_Array, Read_File_to_Data.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/unit1.h"
#include "image/image.h"
#include "image/image_texts.h"
#include "image_test_support.h"

namespace {

const std::string NAME = IMAGE_FILE_NAME;

// Fills Image with a pattern, so that any byte a load writes shows.
class Image_Load : public Image_Test {
protected:
    void SetUp() override
    {
        Image_Test::SetUp();
        Image.File_Name.clear();
        Image.Length = -1;
        Fill_Buffer(0x5A);
    }

    static void Fill_Buffer(uint8_t value) { std::memset(Image.Buffer, value, IMAGE_BUFFER_SIZE); }

    static bool Buffer_All(uint8_t value, size_t from = 0, size_t to = IMAGE_BUFFER_SIZE)
    {
        return std::all_of(Image.Buffer + from, Image.Buffer + to, [value](uint8_t b) { return b == value; });
    }

    static bool Buffer_Starts_With(const Bytes& bytes)
    {
        return std::equal(bytes.begin(), bytes.end(), Image.Buffer);
    }
};

TEST_F(Image_Load, LoadsTheExactBytesAndLength)
{
    const Bytes small = {0x00, 0x80, 0xFF, 0x1A, 0x0D, 0x0A, 0x0A, 0x00}; // no text-mode translation
    for (const Bytes* bytes : {&small, &Passing_Image(6000000), &Passing_Image(16777216)}) {
        Fill_Buffer(0x5A);
        Write_File(NAME, *bytes);
        EXPECT_TRUE(TForm1::Parse_File()) << bytes->size();
        EXPECT_EQ(Image.File_Name, NAME);
        EXPECT_EQ(Image.Length, static_cast<int32_t>(bytes->size()));
        EXPECT_TRUE(Buffer_Starts_With(*bytes)) << bytes->size();
        EXPECT_TRUE(Buffer_All(0x5A, bytes->size())) << "written past the file: " << bytes->size();
    }
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Image_Load, AnEmptyFileLoadsNothing)
{
    Write_File(NAME, {});
    EXPECT_TRUE(TForm1::Parse_File());
    EXPECT_EQ(Image.Length, 0);
    EXPECT_TRUE(Buffer_All(0x5A));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Image_Load, AShorterFileKeepsTheOldTail)
{
    Bytes old_image(100), new_image(60);
    for (size_t i = 0; i < old_image.size(); ++i)
        old_image[i] = static_cast<uint8_t>(0x80 + i);
    for (size_t i = 0; i < new_image.size(); ++i)
        new_image[i] = static_cast<uint8_t>(i);
    Write_File(NAME, old_image);
    ASSERT_TRUE(TForm1::Parse_File());
    Write_File(NAME, new_image);
    EXPECT_TRUE(TForm1::Parse_File());
    EXPECT_EQ(Image.Length, 60);
    EXPECT_TRUE(Buffer_Starts_With(new_image));
    EXPECT_TRUE(std::equal(old_image.begin() + 60, old_image.end(), Image.Buffer + 60));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Image_Load, AFileGoneIsAFailureWithLengthZero)
{
    Write_File(NAME, {1, 2, 3});
    ASSERT_TRUE(TForm1::Parse_File());
    ASSERT_TRUE(DeleteFileA(NAME.c_str()));
    EXPECT_FALSE(TForm1::Parse_File());
    EXPECT_EQ(Image.Length, 0);
    EXPECT_EQ(Boxes, std::vector<std::string>{"Open file:X7Q2-ZEMU-TW-R103-0-V4_4_0.bin error!"});
    EXPECT_TRUE(Buffer_Starts_With({1, 2, 3}));
}

TEST_F(Image_Load, AFolderInPlaceOfTheFileIsNotRead)
{
    ASSERT_TRUE(CreateDirectoryA(NAME.c_str(), nullptr));
    EXPECT_FALSE(TForm1::Parse_File());
    EXPECT_EQ(Image.Length, 0);
    EXPECT_EQ(Boxes, std::vector<std::string>{"Open file:X7Q2-ZEMU-TW-R103-0-V4_4_0.bin error!"});
    EXPECT_TRUE(Buffer_All(0x5A));
}

// Larger than Buffer: refused before anything is read, whatever the size,
// including sizes whose low 32 bits alone would look small.
TEST_F(Image_Load, AFileLargerThanTheBufferIsRefused)
{
    for (uint64_t size : {uint64_t(16777217), uint64_t(100000000), (uint64_t(1) << 32) + 100}) {
        Boxes.clear();
        Image.Length = 1234;
        Write_Sized_File(NAME, size);
        EXPECT_FALSE(TForm1::Parse_File()) << size;
        EXPECT_EQ(Image.Length, 0) << size;
        EXPECT_EQ(Boxes, std::vector<std::string>{"File:X7Q2-ZEMU-TW-R103-0-V4_4_0.bin is larger than 16777216 bytes!"})
            << size;
        EXPECT_TRUE(Buffer_All(0x5A)) << size;
        DeleteFileA(NAME.c_str());
    }
}

TEST_F(Image_Load, AShortReadIsAFailureThatKeepsWhatWasRead)
{
    Write_File("short.bin", {7, 8, 9});
    EXPECT_FALSE(TForm1::Read_File_to_Data("short.bin", Image.Buffer, 5));
    EXPECT_EQ(Boxes, std::vector<std::string>{"Read file:short.bin error!"});
    EXPECT_TRUE(Buffer_Starts_With({7, 8, 9, 0x5A, 0x5A}));
}

TEST_F(Image_Load, ReadFileToDataNeverReadsMoreThanTheBuffer)
{
    Write_Sized_File("big.bin", 16777217);
    EXPECT_FALSE(TForm1::Read_File_to_Data("big.bin", Image.Buffer, 16777217));
    EXPECT_FALSE(TForm1::Read_File_to_Data("big.bin", Image.Buffer, -1));
    EXPECT_EQ(Boxes, (std::vector<std::string>{File_Too_Large_Text("big.bin"), Read_File_Error_Text("big.bin")}));
    EXPECT_TRUE(Buffer_All(0x5A));
}

TEST_F(Image_Load, InitialArrayReportsItsPath)
{
    int32_t length = 99;
    EXPECT_FALSE(TForm1::Initial_Array(Image.Buffer, "none.bin", length));
    EXPECT_EQ(length, 0);
    EXPECT_EQ(Boxes, std::vector<std::string>{"Open file:none.bin error!"});
}

} // namespace
