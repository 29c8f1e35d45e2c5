#pragma once
// One update run of the real program against a simulated handset that plays
// given faults: the click on the update button, the watch for its end (a box,
// the end of the process, a search that goes on), the box closed as a user
// closes it, and what the handset recorded.
#include <cstdint>
#include <string>
#include <vector>

#include "program_process.h"
#include "run_end.h"

namespace faults {

// The COM port the simulated handset appears as.
constexpr unsigned HANDSET_PORT = 9;

struct Run_Plan {
    std::vector<std::string> sim_args; // faults, --national, ...; port and registration are added
    // A run that has not found the handset this long after the click is
    // taken to search on; it is then ended with the exit button.
    int64_t search_window_ms = 15000;
    // When set, the exit button is pressed this long after the first fault played.
    int64_t exit_after_fault_ms = -1;
    // The most the whole run may take, click to end, before it counts as hung.
    int64_t bound_ms = 60000;
};

struct Run_Record {
    Seen_End seen;
    Marks marks;
    std::string problems;     // empty when seen is a documented end with its log and state
    int64_t reaction_ms = -1; // first fault -> the host's next byte, a box or the end of the process
    int next_byte = -1;       // the host's first byte after the first fault (-1: none)
    int64_t exit_ms = -1;     // exit button pressed -> process gone
    int64_t run_ms = 0;       // click -> end
    int faults = 0;           // faults the handset played
    std::vector<std::string> fault_lines;
    int finishes = 0;         // finish bytes the handset received
    int violations = 0;
    long long handset_bytes = 0;
    std::string error;        // the run could not be made (program, simulator)
};

// Starts the program first when it is not running. A run that hung leaves
// the program ended, so the next run starts it afresh.
Run_Record Run_Update(Program_Process& program, const Run_Plan& plan);

} // namespace faults
