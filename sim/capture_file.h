#pragma once
#include <cstdio>
#include <string>

#include "boot_loader.h"

namespace x7sim {

// Writes the image bytes of each transfer to one file; a new transfer
// starts the file afresh, so it holds the last image flashed.
class CaptureFile : public ImageSink {
public:
    explicit CaptureFile(std::string path) : path_(std::move(path)) {}
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    void BeginImage(uint32_t length) override;
    void ImageByte(uint8_t byte) override;
    void EndImage() override;

private:
    std::string path_;
    FILE* file_ = nullptr;
};

}  // namespace x7sim
