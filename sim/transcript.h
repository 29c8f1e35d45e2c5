#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "event.h"

namespace x7sim {

// The machine-readable record: one JSON object a line, each with the
// milliseconds since the simulator started. Violations also go to stderr.
class Transcript : public EventSink {
public:
    explicit Transcript(int64_t start_ns);
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool Open(const std::string& path, std::string& error);  // no path: no file
    void Emit(const Event& event) override;
    int violations() const { return violations_; }

private:
    int64_t start_ns_;
    FILE* file_ = nullptr;
    int violations_ = 0;
};

}  // namespace x7sim
