// mkimage [--seed N] SIZE OUTPUT: writes a firmware image of SIZE bytes that
// passes the program's start-up check.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image_maker.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: mkimage [--seed N] SIZE OUTPUT\n"
                 "  SIZE in bytes, or with a suffix K (1024) or M (1048576);\n"
                 "  at least %llu bytes, the smallest size that can pass the check.\n",
                 static_cast<unsigned long long>(MIN_PASSING_IMAGE_SIZE));
    return 2;
}

bool Parse_Seed(const std::string& text, uint64_t& seed)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           Parse_Image_Size(text, seed);
}

} // namespace

int main(int argc, char** argv)
{
    uint64_t seed = 1;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0) {
            if (++i == argc || !Parse_Seed(argv[i], seed))
                return Usage();
        } else {
            args.push_back(argv[i]);
        }
    }
    uint64_t size = 0;
    if (args.size() != 2)
        return Usage();
    if (!Parse_Image_Size(args[0], size)) {
        std::fprintf(stderr, "mkimage: SIZE '%s' is not a number of bytes\n", args[0].c_str());
        return Usage();
    }
    if (size < MIN_PASSING_IMAGE_SIZE) {
        std::fprintf(stderr, "mkimage: %llu bytes is too small: no file shorter than %llu bytes passes the check\n",
                     static_cast<unsigned long long>(size), static_cast<unsigned long long>(MIN_PASSING_IMAGE_SIZE));
        return 1;
    }
    if (size > MAX_MADE_IMAGE_SIZE) {
        std::fprintf(stderr, "mkimage: %llu bytes is too large: at most %llu\n",
                     static_cast<unsigned long long>(size), static_cast<unsigned long long>(MAX_MADE_IMAGE_SIZE));
        return 1;
    }

    std::vector<uint8_t> image;
    if (!Make_Passing_Image(size, seed, image) || !Reference_Check_Passes(image)) {
        std::fprintf(stderr, "mkimage: could not make an image of %llu bytes\n", static_cast<unsigned long long>(size));
        return 1;
    }
    std::FILE* out = std::fopen(args[1].c_str(), "wb");
    bool written = out && std::fwrite(image.data(), 1, image.size(), out) == image.size();
    if (out && std::fclose(out) != 0)
        written = false;
    if (!written) {
        std::fprintf(stderr, "mkimage: cannot write %s\n", args[1].c_str());
        if (out)
            std::remove(args[1].c_str());
        return 1;
    }
    std::printf("%s: %llu bytes, seed %llu\n", args[1].c_str(), static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(seed));
    return 0;
}
