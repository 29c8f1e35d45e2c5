#include "capture_file.h"

#include <cerrno>
#include <cstring>

namespace x7sim {

CaptureFile::~CaptureFile()
{
    EndImage();
}

void CaptureFile::BeginImage(uint32_t)
{
    EndImage();
    file_ = fopen(path_.c_str(), "wbe");
    if (!file_) fprintf(stderr, "x7sim: cannot write %s: %s\n", path_.c_str(), strerror(errno));
}

void CaptureFile::ImageByte(uint8_t byte)
{
    if (file_) putc(byte, file_);
}

void CaptureFile::EndImage()
{
    if (file_) fclose(file_);
    file_ = nullptr;
}

}  // namespace x7sim
