#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace x7sim {

// One transcript record: a name and flat fields, rendered as one JSON line.
class Event {
public:
    explicit Event(std::string name) : name_(std::move(name)) {}

    Event& Num(std::string_view key, int64_t value);
    Event& Str(std::string_view key, std::string_view value);
    Event& Bool(std::string_view key, bool value);
    Event& Byte(std::string_view key, uint8_t value);             // "0xNN"
    Event& Bytes(std::string_view key, const std::vector<uint8_t>& bytes);  // "0xNN 0xNN"

    const std::string& name() const { return name_; }
    // The field's JSON text (strings with their quotes), if present.
    std::optional<std::string> Get(std::string_view key) const;
    // {"t":T,"event":"name",...}
    std::string Json(int64_t t_ms) const;

private:
    std::string name_;
    std::vector<std::pair<std::string, std::string>> fields_;
};

class EventSink {
public:
    virtual void Emit(const Event& event) = 0;

protected:
    ~EventSink() = default;
};

std::string JsonQuote(std::string_view text);

}  // namespace x7sim
