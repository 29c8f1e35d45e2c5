#include "image_maker.h"

#include <cstdint>

bool Parse_Image_Size(const std::string& text, uint64_t& size)
{
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (UINT64_MAX - 9) / 10)
            return false;
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (i == 0)
        return false;
    uint64_t unit = 1;
    if (i + 1 == text.size()) {
        char suffix = text[i];
        if (suffix == 'K' || suffix == 'k')
            unit = 1024;
        else if (suffix == 'M' || suffix == 'm')
            unit = 1048576;
        else
            return false;
    } else if (i != text.size()) {
        return false;
    }
    if (value > UINT64_MAX / unit)
        return false;
    size = value * unit;
    return true;
}
