#include "event.h"

#include "byte_list.h"

namespace x7sim {

std::string JsonQuote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static const char* digits = "0123456789abcdef";
            out += "\\u00";
            out += digits[u >> 4];
            out += digits[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

Event& Event::Num(std::string_view key, int64_t value)
{
    fields_.emplace_back(std::string(key), std::to_string(value));
    return *this;
}

Event& Event::Str(std::string_view key, std::string_view value)
{
    fields_.emplace_back(std::string(key), JsonQuote(value));
    return *this;
}

Event& Event::Bool(std::string_view key, bool value)
{
    fields_.emplace_back(std::string(key), value ? "true" : "false");
    return *this;
}

Event& Event::Byte(std::string_view key, uint8_t value)
{
    return Str(key, HexByteText(value));
}

Event& Event::Bytes(std::string_view key, const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += HexByteText(b);
    }
    return Str(key, text);
}

std::optional<std::string> Event::Get(std::string_view key) const
{
    for (const auto& [k, v] : fields_)
        if (k == key) return v;
    return std::nullopt;
}

std::string Event::Json(int64_t t_ms) const
{
    std::string out = "{\"t\":";
    out += std::to_string(t_ms);
    out += ",\"event\":";
    out += JsonQuote(name_);
    for (const auto& [k, v] : fields_) {
        out += ',';
        out += JsonQuote(k);
        out += ':';
        out += v;
    }
    out += '}';
    return out;
}

}  // namespace x7sim
