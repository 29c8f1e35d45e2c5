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

// Sleeps until the absolute monotonic time; deadlines computed from a fixed
// start do not drift however often they are used.
inline void SleepUntil(int64_t t_ns)
{
    timespec ts{static_cast<time_t>(t_ns / 1'000'000'000), static_cast<long>(t_ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace x7sim
