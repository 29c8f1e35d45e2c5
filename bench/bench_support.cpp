#include "bench_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "tools/mkimage/image_maker.h"

double Seconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Machine_Load()
{
    // Wine maps the unix root on Z:, so the kernel's own figures are there.
    std::FILE* file = std::fopen("Z:\\proc\\loadavg", "r");
    if (!file) return "load unknown";
    double one = 0, five = 0, fifteen = 0;
    const bool read = std::fscanf(file, "%lf %lf %lf", &one, &five, &fifteen) == 3;
    std::fclose(file);
    if (!read) return "load unknown";
    char text[64];
    std::snprintf(text, sizeof text, "load %.2f %.2f %.2f", one, five, fifteen);
    return text;
}

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

std::vector<uint8_t> Make_Test_Image(uint64_t size)
{
    std::vector<uint8_t> image(size);
    uint32_t state = 0x12345678;
    for (uint8_t& byte : image) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return image;
}

bool Size_Option(int argc, char** argv, const std::string& name, uint64_t fallback, uint64_t limit,
                 uint64_t& size)
{
    size = fallback;
    for (int i = 1; i < argc; ++i) {
        if (name != argv[i]) continue;
        if (i + 1 >= argc || !Parse_Image_Size(argv[i + 1], size) || size > limit) {
            std::printf("%s needs a size of at most %llu bytes (e.g. 400K, 6M)\n", name.c_str(),
                        static_cast<unsigned long long>(limit));
            return false;
        }
    }
    return true;
}

std::string Port_Path(int number) { return "\\\\.\\COM" + std::to_string(number); }
