#pragma once
// The registry key that lists the PC's serial ports,
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, as the tests need to see or break it.
#include <string>
#include <vector>

namespace e2e {

// The names of the key's values; empty when it has none or is missing.
std::vector<std::string> Serialcomm_Values();

// Removes the key for as long as it lives, then puts it back as the system
// keeps it: volatile, with the values it held.
class Serialcomm_Key_Removal {
public:
    Serialcomm_Key_Removal();
    ~Serialcomm_Key_Removal();
    Serialcomm_Key_Removal(const Serialcomm_Key_Removal&) = delete;
    Serialcomm_Key_Removal& operator=(const Serialcomm_Key_Removal&) = delete;

    bool Removed() const { return removed_; }

private:
    struct Value {
        std::string name;
        unsigned long type;
        std::string data;
    };
    std::vector<Value> saved_;
    bool removed_ = false;
};

} // namespace e2e
