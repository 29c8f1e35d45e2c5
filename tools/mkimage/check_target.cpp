#include "check_target.h"

#include <algorithm>
#include <numeric>

#include "image_maker.h"

// With S1 the unsigned and S2 the signed byte sum, a file of H bytes of 0x80
// or more and low-bit sum W has S1 = 128H + W and S2 = W - 128H. Take
// D = IMAGE_CHECK_VALUE >> 8, split D's bits into two disjoint sets P and M,
// and let c be any bits outside D: H = P - M and W = 128D + 256c + r give
// S1 = 256(P|c) + r and S2 = 256(M|c) + r, whose XOR is 256D. README.md
// has the whole argument.
namespace {

constexpr uint64_t D = MAKER_CHECK_VALUE >> 8;

// Any subset of some bits, picked at random.
uint64_t Random_Subset(Random& random, std::initializer_list<uint64_t> bits)
{
    uint64_t value = 0;
    for (uint64_t bit : bits)
        if (random.Below(2))
            value |= bit;
    return value;
}

} // namespace

bool Choose_Check_Target(uint64_t size, Random& random, Check_Target& target)
{
    // A few low bits of D moved to M, and of the free bits to c: enough to
    // vary the sums from seed to seed while H stays near its maximum, D,
    // which leaves the most room for random code bytes.
    uint64_t m = Random_Subset(random, {4, 16, 32, 128});
    uint64_t c = Random_Subset(random, {1, 2, 8, 64});
    uint64_t r = random.Below(256);

    uint64_t most = 127 * size; // every byte's low bits all ones
    if (most < 128 * D)
        return false;
    uint64_t w = 128 * D + 256 * c + r;
    if (w > most)
        w = 128 * D + std::min(r, most - 128 * D);

    target.High_Count = D - 2 * m;
    target.Low_Bits_Sum = w;
    return target.High_Count <= size;
}

namespace {

// Visits 0..n-1 in a seeded order (an affine permutation).
class Spread_Order {
public:
    Spread_Order(uint64_t n, Random& random) : n_(n), step_(random.Between(n / 3 + 1, n)), start_(random.Below(n))
    {
        while (std::gcd(step_, n_) != 1)
            ++step_;
    }
    uint64_t operator[](uint64_t i) const { return (start_ + (step_ % n_) * i) % n_; }

private:
    uint64_t n_, step_, start_;
};

// Moves one byte's low bits towards the wanted change by at most limit.
void Shift_Low_Bits(uint8_t& byte, int64_t& change, int64_t limit)
{
    int64_t low = byte & 0x7F;
    int64_t delta = change > 0 ? std::min({change, limit, 127 - low}) : std::max({change, -limit, -low});
    byte = static_cast<uint8_t>((byte & 0x80) | (low + delta));
    change -= delta;
}

// Sets or clears bit 7 when that moves the count towards the wanted change.
void Flip_High_Bit(uint8_t& byte, int64_t& change)
{
    if (change > 0 && byte < 0x80) {
        byte |= 0x80;
        --change;
    } else if (change < 0 && byte >= 0x80) {
        byte &= 0x7F;
        ++change;
    }
}

} // namespace

void Meet_Check_Target(const Check_Target& target, Random& random,
                       std::vector<uint8_t>& image, const std::vector<bool>& is_code)
{
    uint64_t n = image.size();
    int64_t high = static_cast<int64_t>(target.High_Count);
    int64_t low_bits = static_cast<int64_t>(target.Low_Bits_Sum);
    uint64_t code_bytes = 0;
    for (uint64_t i = 0; i < n; ++i) {
        high -= image[i] >> 7;
        low_bits -= image[i] & 0x7F;
        code_bytes += is_code[i];
    }

    Spread_Order order(n, random);
    for (uint64_t i = 0; i < n && high != 0; ++i)
        if (is_code[order[i]])
            Flip_High_Bit(image[order[i]], high);
    for (uint64_t i = n; i-- > 0 && high != 0;)
        Flip_High_Bit(image[i], high);

    // Small random steps over the code first, so that no run of changed
    // bytes stands out; then whole steps; then any byte from the end.
    if (code_bytes > 0) {
        int64_t per_byte = std::min<int64_t>(127, 2 * (std::abs(low_bits) / static_cast<int64_t>(code_bytes) + 1));
        for (uint64_t i = 0; i < n && low_bits != 0; ++i)
            if (is_code[order[i]])
                Shift_Low_Bits(image[order[i]], low_bits, static_cast<int64_t>(random.Between(0, per_byte)));
        for (uint64_t i = 0; i < n && low_bits != 0; ++i)
            if (is_code[order[i]])
                Shift_Low_Bits(image[order[i]], low_bits, 127);
    }
    for (uint64_t i = n; i-- > 0 && low_bits != 0;)
        Shift_Low_Bits(image[i], low_bits, 127);
}
