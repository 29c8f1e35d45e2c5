#pragma once
// The file services the image needs: the size query and the byte stream.
// Both treat a folder as no file at all: Windows cannot read a folder as a
// byte stream, and Wine's C library would open it and read nothing.
#include <cstdint>
#include <cstdio>
#include <string>

// Size in bytes of the file at path, in full 64 bits; 0 when there is no
// such file or path is a folder.
uint64_t Image_File_Size(const std::string& path);

// True when path names an existing folder.
bool Is_Folder(const std::string& path);

// The file opened for reading with the mode "rb"; null when it cannot be
// opened or path is a folder.
std::FILE* Open_Image_Stream(const std::string& path);
