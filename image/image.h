#pragma once
// The firmware image: its fixed file name, the check value of its start-up
// integrity check, and the one record that holds it in memory.
#include <cstdint>
#include <string>

constexpr const char IMAGE_FILE_NAME[] = "X7Q2-ZEMU-TW-R103-0-V4_4_0.bin";
constexpr uint32_t IMAGE_CHECK_VALUE = 0x5687B400;
constexpr uint32_t IMAGE_BUFFER_SIZE = 16777216; // 16 MiB, the largest image the program holds

struct download_format {
    // Not constexpr on purpose: a constant-initialised record (std::string
    // points into itself) would be stored whole in the program file, 16 MiB of
    // zeros. This way Buffer lives in zero-filled memory and only Length is set.
    download_format() : Length(0) {}

    std::string File_Name;              // empty until the first load
    uint8_t Buffer[IMAGE_BUFFER_SIZE];  // fixed storage; only the first Length bytes are the image
    int32_t Length;                     // bytes of the last load
};

extern download_format Image;
