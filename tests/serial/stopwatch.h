#pragma once
// Small helpers of the integration tests: elapsed time and port paths.
#include <windows.h>

#include <string>

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Ms() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

inline std::string Com_Path(int number) { return "\\\\.\\COM" + std::to_string(number); }

// Time-outs under a loaded machine: not much sooner than asked, and not
// unboundedly later.
#define EXPECT_TOOK_ABOUT(elapsed_ms, timeout_ms)                                   \
    do {                                                                            \
        const double took_ = (elapsed_ms);                                          \
        EXPECT_GE(took_, 0.8 * (timeout_ms)) << "ended before its time-out";        \
        EXPECT_LE(took_, (timeout_ms) + 2500.0) << "ended long after its time-out"; \
    } while (0)
