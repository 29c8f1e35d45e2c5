#pragma once
// The fault campaign's table: for each step of an update run, the faults
// that apply to it and how the run must then end.
#include <cstdint>
#include <string>
#include <vector>

namespace faults {

// Bounds, in ms, on the time from the fault to the program's first reaction
// that can be seen (its next byte on the line, a box, the end of the process).
struct Bound {
    int64_t lo = -1, hi = -1; // hi < 0: not measured
};

struct Fault_Case {
    std::string step, kind;
    std::vector<std::string> sim_args; // --fault specs and other options of the handset
    std::string expected;              // the end as Describe() writes it
    Bound reaction;
    int next_byte = -1;                // the program's first byte after the fault (-1: not checked)
    int finishes = -1;                 // finish bytes the handset must receive (-1: not checked)
    bool clean = true;                 // the handset must see no protocol violation
    int64_t search_window_ms = 15000;
    int64_t exit_after_fault_ms = -1;  // press the exit button this long after the fault
    int64_t max_exit_ms = -1;          // the most the exit may then take
};

std::vector<Fault_Case> Campaign_Cases();

} // namespace faults
