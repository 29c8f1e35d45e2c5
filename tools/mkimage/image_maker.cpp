#include "image_maker.h"

#include "check_target.h"
#include "firmware_layout.h"
#include "random.h"

uint32_t Reference_Check_Value(const uint8_t* bytes, size_t count)
{
    uint32_t unsigned_sum = 0, signed_sum = 0;
    for (size_t i = 0; i < count; ++i) {
        unsigned_sum += bytes[i];
        signed_sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(bytes[i])));
    }
    return unsigned_sum ^ signed_sum;
}

bool Reference_Check_Passes(const std::vector<uint8_t>& image)
{
    return Reference_Check_Value(image.data(), image.size()) == MAKER_CHECK_VALUE;
}

bool Make_Passing_Image(uint64_t size, uint64_t seed, std::vector<uint8_t>& image)
{
    image.clear();
    if (size < MIN_PASSING_IMAGE_SIZE || size > MAX_MADE_IMAGE_SIZE)
        return false;
    Random random(seed);
    Check_Target target;
    if (!Choose_Check_Target(size, random, target))
        return false;
    image.assign(size, 0);
    std::vector<bool> is_code(size, false);
    Lay_Out_Firmware(target, random, image, is_code);
    Meet_Check_Target(target, random, image, is_code);
    return true;
}

bool Spoil_Image(std::vector<uint8_t>& image, size_t index)
{
    if (index >= image.size())
        return false;
    image[index] ^= 0x80;
    return true;
}
