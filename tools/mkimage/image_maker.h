#pragma once
// Makes firmware images that pass the program's start-up integrity check, and
// spoils them for tests. Plain C++: built in the host and the Windows trees.
// README.md explains the construction and the smallest size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The value the check's XOR must produce (the program's IMAGE_CHECK_VALUE).
constexpr uint32_t MAKER_CHECK_VALUE = 0x5687B400;
// No file shorter than this passes the check.
constexpr uint64_t MIN_PASSING_IMAGE_SIZE = 5715489;
// The largest image this maker makes (it is built in memory).
constexpr uint64_t MAX_MADE_IMAGE_SIZE = 1073741824;

// The check computed the plain way, one byte at a time: the sum of the bytes
// taken as unsigned XOR the sum taken as signed, both modulo 2^32.
uint32_t Reference_Check_Value(const uint8_t* bytes, size_t count);
bool Reference_Check_Passes(const std::vector<uint8_t>& image);

// Fills image with size bytes that pass the check and look like a firmware
// image (header, code, strings, padding). The same size and seed always give
// the same bytes. False, with image empty, when size is below
// MIN_PASSING_IMAGE_SIZE or above MAX_MADE_IMAGE_SIZE.
bool Make_Passing_Image(uint64_t size, uint64_t seed, std::vector<uint8_t>& image);

// Flips bit 7 of the byte at index. This changes the count of bytes of 0x80
// or more by one, and every passing file has that count equal to 4 modulo 8,
// so an image that passed fails afterwards. False when index is out of range.
bool Spoil_Image(std::vector<uint8_t>& image, size_t index);

// A size as text: decimal bytes, or with a suffix K (1024) or M (1048576),
// either case ("5715489", "6000K", "16M"). False on anything else or overflow.
bool Parse_Image_Size(const std::string& text, uint64_t& size);
