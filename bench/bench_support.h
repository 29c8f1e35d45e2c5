#pragma once
// What the benchmarks share: a fine clock, the machine's load, medians, test
// images, the size option and the port path.
#include <cstdint>
#include <string>
#include <vector>

// Seconds on the performance counter.
double Seconds();

// "load 1.23 0.98 0.77" from the unix side (Z:\proc\loadavg), or "load unknown".
std::string Machine_Load();

double Median(std::vector<double> values);

// size bytes that look random (the same size always gives the same bytes).
std::vector<uint8_t> Make_Test_Image(uint64_t size);

// The value of "--name VALUE" as a size ("6291456", "400K", "6M"); fallback
// when the option is absent. False on a malformed or out-of-range value.
bool Size_Option(int argc, char** argv, const std::string& name, uint64_t fallback, uint64_t limit,
                 uint64_t& size);

std::string Port_Path(int number);
