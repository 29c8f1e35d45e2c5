#pragma once
// Wall-clock time in milliseconds since 1970. Wine takes a program's system
// time from the same clock as the simulated handset's "epoch_ms", so the
// handset's records and what this process sees can be set side by side.
#include <windows.h>

#include <cstdint>

namespace faults {

inline int64_t Wall_Ms()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr uint64_t UNIX_EPOCH_TICKS = 116444736000000000ULL; // 1970-01-01 in 100 ns since 1601
    return static_cast<int64_t>((ticks - UNIX_EPOCH_TICKS) / 10000);
}

} // namespace faults
