#pragma once
// What the image tests share: a fresh working folder per test, files written
// into it, generated images, and the message boxes shown.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A passing image of that size made by the image maker (cached per size/seed).
const Bytes& Passing_Image(uint64_t size, uint64_t seed = 1);

void Write_File(const std::string& path, const Bytes& bytes);
// A file of size bytes without writing them (sparse where the disk allows).
void Write_Sized_File(const std::string& path, uint64_t size);

// Each test runs in a new empty folder of its own, made the current working
// folder, with ShowMessage captured into Boxes instead of shown.
class Image_Test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Folder;             // full path, no trailing separator
    std::vector<std::string> Boxes; // texts of the message boxes, in order

private:
    std::string old_folder_;
};
