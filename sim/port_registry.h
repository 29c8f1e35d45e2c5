#pragma once
#include <string>
#include <vector>

namespace x7sim {

// Lists the port in Wine's registry the way a virtual serial port driver
// does on Windows: REG_SZ "\Device\X7Sim<N>" = "COM<N>" under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM. That key is volatile: the value lasts
// while the prefix's wineserver runs, which is all a test needs.
class PortRegistry {
public:
    PortRegistry(unsigned port, std::string wineprefix, std::string wine);

    bool Add(std::string& error);
    bool Remove(std::string& error);
    bool added() const { return added_; }

private:
    bool RunReg(const std::vector<std::string>& args, std::string& error);

    unsigned port_;
    std::string wineprefix_;
    std::string wine_;
    bool added_ = false;
};

}  // namespace x7sim
