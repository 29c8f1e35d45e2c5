#pragma once
// Content shaped like a firmware image: a header, code interleaved with string
// tables and zero gaps, and erased flash (0xFF) at the end, in proportions
// that bring the image close to a check target.
#include <cstdint>
#include <vector>

#include "check_target.h"
#include "random.h"

// Fills image (already of its final size) and marks the code bytes, whose
// values are random and so may be changed afterwards without showing.
void Lay_Out_Firmware(const Check_Target& target, Random& random,
                      std::vector<uint8_t>& image, std::vector<bool>& is_code);
