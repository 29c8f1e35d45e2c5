#pragma once
// The start-up integrity check of the image file, without its message boxes
// and its end of the process (TForm1::Checksum adds those).
//
// Two sums over the file: one adds every byte taken as unsigned (0..255),
// the other every byte taken as signed (-128..127), each into a 32-bit sum
// that wraps. The file passes when the two sums XOR to IMAGE_CHECK_VALUE. A
// read error ends the sums as the end of the file does.
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
    Cannot_Open,  // the file could not be opened
    Content_Fails // the sums do not give IMAGE_CHECK_VALUE
};

// Both sums over the file, read once; sums holds what they added up.
Image_Check_Result Check_Image_File(const std::string& file_name, Image_Sums& sums);
