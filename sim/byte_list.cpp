#include "byte_list.h"

#include <array>
#include <string>

namespace x7sim {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view StripHexPrefix(std::string_view text)
{
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    return text;
}

template <typename Fn>
bool ForEachItem(std::string_view text, std::string_view separators, Fn&& fn)
{
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(separators, pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view item = text.substr(pos, end - pos);
        if (!item.empty() && !fn(item)) return false;
        pos = end + 1;
    }
    return true;
}

}  // namespace

std::optional<uint8_t> ParseHexByte(std::string_view text)
{
    text = StripHexPrefix(text);
    if (text.empty() || text.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + d;
    }
    return static_cast<uint8_t>(value);
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bool ok = ForEachItem(text, ", ", [&](std::string_view item) {
        std::string_view digits = StripHexPrefix(item);
        if (digits.empty()) return false;
        if (digits.size() == 1) {
            auto b = ParseHexByte(digits);
            if (!b) return false;
            bytes.push_back(*b);
            return true;
        }
        if (digits.size() % 2 != 0) return false;
        for (size_t i = 0; i < digits.size(); i += 2) {
            auto b = ParseHexByte(digits.substr(i, 2));
            if (!b) return false;
            bytes.push_back(*b);
        }
        return true;
    });
    if (!ok) return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> ParseByteList(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bool ok = ForEachItem(text, ",", [&](std::string_view item) {
        std::optional<uint8_t> b;
        if (StripHexPrefix(item).size() != item.size()) {
            b = ParseHexByte(item);
        } else if (auto n = ParseNumber(item, 255)) {
            b = static_cast<uint8_t>(*n);
        }
        if (!b) return false;
        bytes.push_back(*b);
        return true;
    });
    // "1,,2" and a trailing comma are typing errors, not empty items.
    if (!ok || text.find(",,") != std::string_view::npos || (!text.empty() && (text.front() == ',' || text.back() == ',')))
        return std::nullopt;
    return bytes;
}

std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max)
{
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

std::string_view HexByteText(uint8_t byte)
{
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> t;
        const char* digits = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i) t[i] = std::string("0x") + digits[i >> 4] + digits[i & 15];
        return t;
    }();
    return texts[byte];
}

}  // namespace x7sim
