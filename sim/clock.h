#pragma once
#include <cstdint>
#include <cerrno>
#include <ctime>

namespace x7sim {

// Monotonic time in nanoseconds.
inline int64_t MonoNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

// Wall-clock time in milliseconds since 1970: the one clock that a program
// under Wine shares with us (its system time is this clock).
inline int64_t RealtimeMs()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1'000'000;
}

// Sleeps until the absolute monotonic time; deadlines computed from a fixed
// start do not drift however often they are used.
inline void SleepUntil(int64_t t_ns)
{
    timespec ts{static_cast<time_t>(t_ns / 1'000'000'000), static_cast<long>(t_ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace x7sim
