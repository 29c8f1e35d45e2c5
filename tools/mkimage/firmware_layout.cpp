#include "firmware_layout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

enum Kind { CODE, TEXT, ZEROS, KINDS };

// Average low-bit value of the string tables (lower-case words and spaces).
constexpr uint64_t TEXT_LOW_BITS = 100;

// Chunk lengths of each kind, smallest and largest.
constexpr uint64_t CHUNK_MIN[KINDS] = {4096, 256, 64};
constexpr uint64_t CHUNK_MAX[KINDS] = {262144, 8192, 16384};

constexpr std::array<std::string_view, 40> WORDS = {
    "radio", "battery", "charger", "keypad", "display", "audio", "card", "network",
    "signal", "memory", "flash", "sector", "boot", "timer", "port", "clock",
    "power", "mode", "level", "error", "ready", "failed", "state", "init",
    "task", "queue", "buffer", "version", "config", "update", "block", "write",
    "read", "idle", "call", "message", "menu", "tone", "volume", "light",
};

void Fill_Code(uint8_t* out, uint64_t n, Random& random)
{
    for (uint64_t i = 0; i < n; i += 8) {
        uint64_t word = random.Next();
        std::memcpy(out + i, &word, std::min<uint64_t>(8, n - i));
    }
}

// NUL-terminated phrases of a few words.
void Fill_Text(uint8_t* out, uint64_t n, Random& random)
{
    uint64_t i = 0;
    while (i < n) {
        uint64_t words = random.Between(1, 5);
        for (uint64_t w = 0; w < words && i < n; ++w) {
            std::string_view word = WORDS[random.Below(WORDS.size())];
            for (char ch : word) {
                if (i == n)
                    break;
                out[i++] = static_cast<uint8_t>(ch);
            }
            if (i < n)
                out[i++] = w + 1 < words ? ' ' : 0;
        }
    }
}

// Padding (zeros, erased flash) carries a page tag every 1 KiB: the page
// number, complemented in erased flash. Without it long runs of one value
// would give many transfer blocks the same bytes and the same checksum.
void Tag_Padding(std::vector<uint8_t>& image, const std::vector<bool>& is_code)
{
    for (uint64_t at = 1024; at + 4 <= image.size(); at += 1024) {
        uint8_t fill = image[at];
        if ((fill != 0x00 && fill != 0xFF) || is_code[at] || is_code[at + 3])
            continue;
        if (image[at + 1] != fill || image[at + 2] != fill || image[at + 3] != fill)
            continue;
        uint32_t tag = static_cast<uint32_t>(at >> 10);
        if (fill == 0xFF)
            tag = ~tag;
        for (int i = 0; i < 4; ++i)
            image[at + i] = static_cast<uint8_t>(tag >> (8 * i));
    }
}

void Write_Header(std::vector<uint8_t>& image)
{
    char header[64] = {};
    std::snprintf(header, sizeof header, "ZEMU X7Q2 R103-0 V4.4.0 size %llu",
                  static_cast<unsigned long long>(image.size()));
    std::memcpy(image.data(), header, std::min<size_t>(sizeof header, image.size()));
}

} // namespace

void Lay_Out_Firmware(const Check_Target& target, Random& random,
                      std::vector<uint8_t>& image, std::vector<bool>& is_code)
{
    // Code (half its bytes 0x80 or more, low bits 63.5 on average), 0xFF and
    // zero padding all lie on the line W = 127 H; the strings lift the image
    // above it by what the target asks.
    uint64_t n = image.size();
    uint64_t high = target.High_Count;
    uint64_t above_line = target.Low_Bits_Sum - std::min(target.Low_Bits_Sum, 127 * high);
    uint64_t left[KINDS];
    left[TEXT] = std::min(above_line / TEXT_LOW_BITS, n - high);
    uint64_t rest = n - left[TEXT];
    left[CODE] = std::min({2 * high, 2 * (rest - high), rest}) & ~uint64_t(1);
    uint64_t erased = high - left[CODE] / 2;
    left[ZEROS] = rest - left[CODE] - erased;

    // Chunks of each kind in a random interleaving, each kind picked by the
    // number of chunks it has left, so that they spread evenly.
    uint64_t at = 0;
    while (left[CODE] + left[TEXT] + left[ZEROS] > 0) {
        uint64_t weight[KINDS], total = 0;
        for (int k = 0; k < KINDS; ++k)
            total += weight[k] = left[k] ? left[k] * 2 / (CHUNK_MIN[k] + CHUNK_MAX[k]) + 1 : 0;
        uint64_t pick = random.Below(total);
        int kind = 0;
        while (pick >= weight[kind])
            pick -= weight[kind++];
        uint64_t length = std::min(left[kind], random.Between(CHUNK_MIN[kind], CHUNK_MAX[kind]));
        if (kind == CODE) {
            Fill_Code(image.data() + at, length, random);
            std::fill(is_code.begin() + at, is_code.begin() + at + length, true);
        } else if (kind == TEXT) {
            Fill_Text(image.data() + at, length, random);
        }
        at += length;
        left[kind] -= length;
    }
    std::fill(image.begin() + at, image.end(), 0xFF);
    Tag_Padding(image, is_code);

    Write_Header(image);
    std::fill(is_code.begin(), is_code.begin() + std::min<size_t>(64, n), false);
}
