#pragma once
// Seeded random faults for whole update runs: which step goes wrong, at
// which reply, and how. The same seed gives the same faults.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace faults {

class Random_Faults {
public:
    explicit Random_Faults(uint64_t seed) : random_(seed) {}

    // The handset's options for the next run: its national code and one to
    // three faults, each at a random point of a random step.
    std::vector<std::string> Next_Run();

private:
    uint32_t Pick(uint32_t first, uint32_t last); // uniform in [first, last]
    bool Chance(double p);
    std::string Random_Fault(bool code_fe);
    std::string Bytes(uint32_t count);

    std::mt19937_64 random_;
};

} // namespace faults
