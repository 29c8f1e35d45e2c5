#pragma once
// Folders and image files for the window's tests.
#include <string>

namespace app_test {

// A new empty folder under the temporary folder; its path ends without a slash.
std::string Make_Temp_Folder(const std::string& tag);
// Writes an image that passes the start-up check; with spoil, one that fails it.
bool Write_Image(const std::string& path, bool spoil = false);

} // namespace app_test
