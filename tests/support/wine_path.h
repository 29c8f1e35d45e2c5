#pragma once
#include <string>

namespace x7test {

// Wine shows the unix root as drive Z:. "/a/b" <-> "Z:\a\b".
std::string UnixToWinePath(const std::string& unix_path);
// Empty when the path is not on drive Z:.
std::string WineToUnixPath(const std::string& wine_path);

// The environment variable's value, empty when unset.
std::string EnvVar(const char* name);

}  // namespace x7test
