// Start-up check benchmark (see bench/README.md): Check_Image_File on a
// 16 MiB image against a plain sequential read of the same file (streamed
// once through a 64 KiB buffer), in turn, each after the same warming read;
// the median of each, and their ratio.
// Exit status: 0 target met, 1 target missed, 2 the set-up or the check failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/image.h"
#include "image/image_check.h"
#include "tools/mkimage/image_maker.h"

namespace {

constexpr size_t READ_BUFFER_BYTES = 65536;
constexpr double RATIO_TARGET = 2.0;
constexpr int DEFAULT_ROUNDS = 21;

// The file streamed once, front to back, through a 64 KiB buffer. Bytes read,
// or 0 when the file cannot be opened.
uint64_t Plain_Read(const std::string& path)
{
    static uint8_t buffer[READ_BUFFER_BYTES];
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::setvbuf(file, nullptr, _IONBF, 0);
    uint64_t total = 0;
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        total += got;
        if (got < sizeof buffer) break;
    }
    std::fclose(file);
    return total;
}

bool Write_Image(const std::string& path, const std::vector<uint8_t>& image)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    return std::fclose(file) == 0 && written;
}

int Rounds(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) return std::max(1, std::atoi(argv[i + 1]));
    return DEFAULT_ROUNDS;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = Rounds(argc, argv);
    std::vector<uint8_t> image;
    if (!Make_Passing_Image(IMAGE_BUFFER_SIZE, 1, image)) {
        std::printf("could not make the image\n");
        return 2;
    }
    char temp[MAX_PATH];
    if (!GetTempPathA(sizeof temp, temp)) return 2;
    const std::string path = std::string(temp) + "x7_check_bench.bin";
    if (!Write_Image(path, image)) {
        std::printf("could not write %s\n", path.c_str());
        return 2;
    }

    // The two sums alone, on bytes already in memory, as the update run checks
    // the loaded image: what summing costs without any reading.
    Image_Sums in_memory;
    const double sums_start = Seconds();
    Add_Unsigned_Bytes(in_memory.Unsigned_Sum, image.data(), image.size());
    Add_Signed_Bytes(in_memory.Signed_Sum, image.data(), image.size());
    const double sums_seconds = Seconds() - sums_start;

    std::printf("start-up check of %u bytes (%s) against a plain read through %zu bytes, %d rounds, %s\n",
                IMAGE_BUFFER_SIZE, path.c_str(), READ_BUFFER_BYTES, rounds, Machine_Load().c_str());
    std::vector<double> check_times, read_times;
    for (int round = 0; round < rounds; ++round) {
        // Each timed run follows a plain read of the whole file, which leaves
        // it in the page cache for both alike.
        Plain_Read(path);
        Image_Sums sums;
        double start = Seconds();
        const Image_Check_Result result = Check_Image_File(path, sums);
        check_times.push_back(Seconds() - start);
        if (result != Image_Check_Result::Passed) {
            std::printf("the check did not pass the image\n");
            return 2;
        }
        Plain_Read(path);
        start = Seconds();
        const uint64_t got = Plain_Read(path);
        read_times.push_back(Seconds() - start);
        if (got != image.size()) {
            std::printf("the plain read got %llu bytes\n", static_cast<unsigned long long>(got));
            return 2;
        }
        std::printf("    round %2d: check %7.2f ms    plain read %7.2f ms\n", round + 1, check_times.back() * 1e3,
                    read_times.back() * 1e3);
    }
    DeleteFileA(path.c_str());

    const double check = Median(check_times), read = Median(read_times);
    const double ratio = check / read;
    const bool met = ratio <= RATIO_TARGET;
    std::printf("median: check %.2f ms (%.0f MB/s of file), plain read %.2f ms (%.0f MB/s)\n", check * 1e3,
                image.size() / check / 1e6, read * 1e3, image.size() / read / 1e6);
    std::printf("Add_Unsigned_Bytes + Add_Signed_Bytes over the bytes in memory: %.2f ms\n", sums_seconds * 1e3);
    std::printf("check / plain read  %.3f (target <= %.1f): %s   [%s]\n", ratio, RATIO_TARGET,
                met ? "met" : "NOT met", Machine_Load().c_str());
    return met ? 0 : 1;
}
