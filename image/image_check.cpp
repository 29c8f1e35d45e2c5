#include "image/image_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image/image.h"
#include "image/image_file_system.h"

namespace {

constexpr uint64_t EVEN_BYTES = 0x00FF00FF00FF00FFull;
constexpr size_t MOST_WORDS = 128; // 128 * 2 * 255 still fits a 16-bit lane

// The sum of four 16-bit lanes.
uint32_t Fold_Lanes(uint64_t lanes)
{
    lanes = (lanes & 0x0000FFFF0000FFFFull) + ((lanes >> 16) & 0x0000FFFF0000FFFFull);
    return static_cast<uint32_t>(lanes) + static_cast<uint32_t>(lanes >> 32);
}

// The sum of words * 8 bytes, each XORed with flip's byte, words at most
// MOST_WORDS: eight bytes at a time, byte pairs adding up in 16-bit lanes.
uint32_t Sum_Words(const uint8_t* bytes, size_t words, uint64_t flip)
{
    uint64_t lanes = 0;
    for (size_t i = 0; i < words; ++i) {
        uint64_t word;
        std::memcpy(&word, bytes + 8 * i, 8);
        word ^= flip;
        lanes += (word & EVEN_BYTES) + ((word >> 8) & EVEN_BYTES);
    }
    return Fold_Lanes(lanes);
}

uint32_t Sum_Bytes(const uint8_t* bytes, size_t count, uint64_t flip)
{
    uint32_t sum = 0;
    size_t words = count / 8;
    for (size_t done = 0; done < words; done += MOST_WORDS)
        sum += Sum_Words(bytes + 8 * done, std::min(MOST_WORDS, words - done), flip);
    for (size_t i = words * 8; i < count; ++i)
        sum += bytes[i] ^ static_cast<uint8_t>(flip);
    return sum;
}

// Both sums of count bytes at once, for the file pass: a byte taken as
// signed is the byte less 256 when its top bit is set, so the signed sum is
// the unsigned one less 256 for each such byte.
void Add_Both(Image_Sums& sums, const uint8_t* bytes, size_t count)
{
    uint32_t plain = 0;
    uint32_t high = 0;
    size_t words = count / 8;
    for (size_t done = 0; done < words; done += MOST_WORDS) {
        const size_t n = std::min(MOST_WORDS, words - done);
        uint64_t lanes = 0;
        uint64_t tops = 0; // one count a byte lane, at most MOST_WORDS each
        for (size_t i = 0; i < n; ++i) {
            uint64_t word;
            std::memcpy(&word, bytes + 8 * (done + i), 8);
            lanes += (word & EVEN_BYTES) + ((word >> 8) & EVEN_BYTES);
            tops += (word >> 7) & 0x0101010101010101ull;
        }
        plain += Fold_Lanes(lanes);
        high += Fold_Lanes((tops & EVEN_BYTES) + ((tops >> 8) & EVEN_BYTES));
    }
    for (size_t i = words * 8; i < count; ++i) {
        plain += bytes[i];
        high += bytes[i] >> 7;
    }
    sums.Unsigned_Sum += plain;
    sums.Signed_Sum += plain - 256u * high;
}

} // namespace

void Add_Unsigned_Bytes(uint32_t& sum, const uint8_t* bytes, size_t count)
{
    sum += Sum_Bytes(bytes, count, 0);
}

// A byte taken as signed is the byte XOR 0x80, minus 128.
void Add_Signed_Bytes(uint32_t& sum, const uint8_t* bytes, size_t count)
{
    sum += Sum_Bytes(bytes, count, 0x8080808080808080ull) - 128u * static_cast<uint32_t>(count);
}

uint32_t Image_Check_Value(const Image_Sums& sums)
{
    return sums.Unsigned_Sum ^ sums.Signed_Sum;
}

bool Image_Check_Passes(const Image_Sums& sums)
{
    return Image_Check_Value(sums) == IMAGE_CHECK_VALUE;
}

namespace {

// The file read once, to its end or to the first read that fails, in chunks
// rather than byte by byte, each chunk added to both sums while it is still
// in the cache: the same sums as two passes over an unchanging file, for
// half the reading. The stream is unbuffered so that each chunk is read
// straight into place. The chunk is static (one thread only).
uint8_t chunk[262144];

bool Sum_File(const std::string& file_name, Image_Sums& sums)
{
    std::FILE* file = Open_Image_Stream(file_name);
    if (!file)
        return false;
    std::setvbuf(file, nullptr, _IONBF, 0);
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof chunk, file);
        Add_Both(sums, chunk, got);
        if (got < sizeof chunk)
            break;
    }
    std::fclose(file);
    return true;
}

} // namespace

Image_Check_Result Check_Image_File(const std::string& file_name, Image_Sums& sums)
{
    sums = Image_Sums{};
    if (!Sum_File(file_name, sums))
        return Image_Check_Result::Cannot_Open;
    return Image_Check_Passes(sums) ? Image_Check_Result::Passed : Image_Check_Result::Content_Fails;
}
