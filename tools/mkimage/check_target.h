#pragma once
// The two numbers of an image that decide the start-up check, and how an
// image is brought to them exactly.
#include <cstdint>
#include <vector>

#include "random.h"

struct Check_Target {
    uint64_t High_Count;   // bytes of 0x80 or more
    uint64_t Low_Bits_Sum; // sum of every byte's low seven bits
};

// A target that an image of size bytes can meet; false when there is none
// (size below the smallest passing size).
bool Choose_Check_Target(uint64_t size, Random& random, Check_Target& target);

// Changes bytes of image until it meets target exactly: first bytes marked
// in is_code (random anyway, so the change does not show), spread over the
// image; then, only when those cannot absorb it, any byte from the end.
void Meet_Check_Target(const Check_Target& target, Random& random,
                       std::vector<uint8_t>& image, const std::vector<bool>& is_code);
