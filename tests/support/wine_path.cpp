#include "wine_path.h"

#include <cstdlib>

namespace x7test {

std::string UnixToWinePath(const std::string& unix_path)
{
    std::string out = "Z:";
    for (char c : unix_path) out += c == '/' ? '\\' : c;
    return out;
}

std::string WineToUnixPath(const std::string& wine_path)
{
    if (wine_path.size() < 2 || (wine_path[0] != 'Z' && wine_path[0] != 'z') || wine_path[1] != ':') return "";
    std::string out;
    for (size_t i = 2; i < wine_path.size(); ++i) out += wine_path[i] == '\\' ? '/' : wine_path[i];
    return out.empty() ? "/" : out;
}

std::string EnvVar(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

}  // namespace x7test
