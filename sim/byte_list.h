#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace x7sim {

// One byte in hexadecimal: "FE", "0xFE", "7".
std::optional<uint8_t> ParseHexByte(std::string_view text);

// Hexadecimal bytes: items separated by commas or spaces, each "0x" and/or
// an even number of digits ("55AA", "0x55,0xAA", "55 aa"); a single digit
// is one byte. An empty text is an empty list.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);

// Comma-separated bytes, decimal or with "0x" hexadecimal: "0,10,0x64".
std::optional<std::vector<uint8_t>> ParseByteList(std::string_view text);

// An unsigned decimal number no greater than max, digits only.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max);

// "0xNN" with upper-case digits.
std::string_view HexByteText(uint8_t byte);

}  // namespace x7sim
