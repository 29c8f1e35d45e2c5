#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "boot_loader.h"

namespace x7sim {

struct SimOptions {
    unsigned port = 0;
    std::string ports_dir;
    bool register_port = false;
    std::string wineprefix;
    std::string wine = "/usr/lib/wine/wine64";
    int64_t plug_after_ms = 0;
    uint32_t baud = 0;
    std::vector<uint8_t> stale;
    BootLoaderConfig device;
    std::string capture;
    std::string transcript;
    std::string ready;
    std::string stop;
    std::string log;
    int64_t lifetime_s = 300;
    bool help = false;
};

// Reads the command line (args without the program name) and the defaults
// that come from the environment (X7_PORTS_DIR, WINEPREFIX). On failure
// returns false with a one-line reason in error.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

const char* UsageText();

}  // namespace x7sim
