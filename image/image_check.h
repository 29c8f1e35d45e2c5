#pragma once
// The start-up integrity check of the image file, without its message boxes
// and its end of the process (TForm1::Checksum adds those).
//
// Two passes over the file: the first adds every byte taken as unsigned
// (0..255), the second every byte taken as signed (-128..127), each into a
// 32-bit sum that wraps. The file passes when the two sums XOR to
// IMAGE_CHECK_VALUE. A read error ends a pass as the end of the file does.
#include <cstddef>
#include <cstdint>
#include <string>

struct Image_Sums {
    uint32_t Unsigned_Sum = 0;
    uint32_t Signed_Sum = 0;
};

void Add_Unsigned_Bytes(uint32_t& sum, const uint8_t* bytes, size_t count);
void Add_Signed_Bytes(uint32_t& sum, const uint8_t* bytes, size_t count);

uint32_t Image_Check_Value(const Image_Sums& sums); // the XOR of the two sums
bool Image_Check_Passes(const Image_Sums& sums);

enum class Image_Check_Result {
    Passed,
    Cannot_Open,  // either pass could not open the file
    Content_Fails // the sums do not give IMAGE_CHECK_VALUE
};

// Both passes over the file; sums holds what they added up (what the first
// pass found when the second could not open the file).
Image_Check_Result Check_Image_File(const std::string& file_name, Image_Sums& sums);
