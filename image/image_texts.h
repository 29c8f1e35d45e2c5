#pragma once
// The image's message texts. The three pieces of the start-up check's
// messages are unit-level constants, built when the program's unit is
// initialised; the load's messages name the path they are about.
#include <string>

extern const std::string READ_TEXT;            // "Read "
extern const std::string FAILED_TEXT;          // " Failed"
extern const std::string BIN_FILES_ERROR_TEXT; // "BIN files Error"

std::string Open_File_Error_Text(const std::string& path); // Open file:<path> error!
std::string Read_File_Error_Text(const std::string& path); // Read file:<path> error!
// A file that does not fit in Image.Buffer.
std::string File_Too_Large_Text(const std::string& path);
