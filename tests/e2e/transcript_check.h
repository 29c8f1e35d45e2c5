#pragma once
// What the simulated handset recorded, reduced to the exchanges of an update,
// and compared with what a run should have put on the line.
#include <string>
#include <vector>

namespace e2e {

struct Handset_Event {
    std::string name;
    long t_ms = 0; // since the simulator started
    std::string line;
};

// The exchanges, faults, violations and abandoned exchanges, in order; the
// bookkeeping records (start, plugged, unplugged, stopped) and the single
// blocks of a transfer are left out.
std::vector<Handset_Event> Exchanges(const std::vector<std::string>& transcript);

// Expected events are written "name" or "name key=value key=value", e.g.
// "national_read code=0xFE". Empty when the events match, in order and in
// number; otherwise what differs.
std::string Compare_Exchanges(const std::vector<std::string>& expected, const std::vector<Handset_Event>& actual);

} // namespace e2e
