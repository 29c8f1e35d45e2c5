#pragma once
// A small seeded generator (splitmix64). Our own rather than <random>'s
// distributions so that a seed gives the same image on every platform.
#include <cstdint>

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A value in [0, n), n > 0. The modulo bias is of no concern here.
    uint64_t Below(uint64_t n) { return Next() % n; }

    // A value in [low, high].
    uint64_t Between(uint64_t low, uint64_t high) { return low + Below(high - low + 1); }

private:
    uint64_t state_;
};
