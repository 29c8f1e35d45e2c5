#include "app_test_files.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/mkimage/image_maker.h"

namespace app_test {

std::string Make_Temp_Folder(const std::string& tag)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        std::string path = std::string(base) + "x7app_" + tag + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                           std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
    }
}

bool Write_Image(const std::string& path, bool spoil)
{
    // One image for the whole run: making it takes a moment.
    static std::vector<uint8_t> image;
    if (image.empty() && !Make_Passing_Image(MIN_PASSING_IMAGE_SIZE, 7, image)) return false;
    std::vector<uint8_t> bytes = image;
    if (spoil && !Spoil_Image(bytes, bytes.size() / 2)) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace app_test
