#pragma once
// The PC's serial ports as Windows registers them under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM. Free functions without state: every
// call opens and closes the key, every probe opens and closes its port.
#include <cstdint>
#include <vector>

// Result codes of Enum_Com_Ports.
constexpr int ENUM_OK = 0;          // ports listed, ascending
constexpr int ENUM_BAD_ARGS = 1;    // no array, no count, or a count of 0
constexpr int ENUM_NO_PORTS = 2;    // no value passed the rules
constexpr int ENUM_TOO_MANY = 3;    // count set to the room needed
constexpr int ENUM_KEY_FAILED = 4;  // the key cannot be opened

// The provider subtype of a plain serial port (PST_RS232); 0 accepts any.
constexpr uint32_t PROBE_RS232 = 1;

// "COM" in any case followed by one or more decimal digits and nothing else.
bool Is_Com_Name(const char* text);

// Whether the port counts as present: it opens and reports the wanted
// provider subtype (or cannot tell), or it is held by another program.
bool Probe_Com_Port(uint16_t port, uint32_t sub_type);

// Fills the list in registry order, duplicates kept. 0 when the walk ran
// (found or not), 1 when the key cannot be opened.
int Enum_Ports_Registry(std::vector<uint16_t>& list);

// On entry *count is the room in ports[]; see the codes above for the return.
int Enum_Com_Ports(uint16_t* ports, uint16_t* count);
