#include "serialcomm_key.h"

#include <windows.h>

namespace e2e {
namespace {

constexpr char PARENT[] = "HARDWARE\\DEVICEMAP";
constexpr char NAME[] = "SERIALCOMM";
constexpr char KEY[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

template <class Each> void For_Each_Value(Each each)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        char name[512];
        BYTE data[512];
        DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
        each(std::string(name, name_size), type, std::string(reinterpret_cast<char*>(data), data_size));
    }
    RegCloseKey(key);
}

} // namespace

std::vector<std::string> Serialcomm_Values()
{
    std::vector<std::string> names;
    For_Each_Value([&](const std::string& name, DWORD, const std::string&) { names.push_back(name); });
    return names;
}

Serialcomm_Key_Removal::Serialcomm_Key_Removal()
{
    For_Each_Value([&](const std::string& name, DWORD type, const std::string& data) {
        saved_.push_back({name, type, data});
    });
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PARENT, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
    removed_ = RegDeleteKeyA(parent, NAME) == ERROR_SUCCESS;
    RegCloseKey(parent);
}

Serialcomm_Key_Removal::~Serialcomm_Key_Removal()
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    // The system builds this key anew at every start: it is volatile.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, KEY, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
        return;
    for (const Value& v : saved_)
        RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                       static_cast<DWORD>(v.data.size()));
    RegCloseKey(key);
}

} // namespace e2e
