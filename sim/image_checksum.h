#pragma once
#include <cstdint>

namespace x7sim {

// The image checksum of the transfer: XOR of the bytes at even offsets, then
// XOR of the bytes at odd offsets (a missing odd partner counts as zero).
class ImageChecksum {
public:
    void Reset() { sum_[0] = sum_[1] = 0; }
    void Add(uint32_t offset, uint8_t byte) { sum_[offset & 1] ^= byte; }
    uint8_t even() const { return sum_[0]; }
    uint8_t odd() const { return sum_[1]; }

private:
    uint8_t sum_[2] = {0, 0};
};

}  // namespace x7sim
