#pragma once
// The table of end-to-end scenarios: for every run of the program, the
// handset plugged in, what the user does, and how the run must end.
#include <ostream>
#include <string>
#include <vector>

#include "expected_log.h"

namespace e2e {

enum class Handset { None, New, Same };       // no handset, a new one plugged in, the one of the run before
enum class Preparation { None, Delete_Image, Spoil_Image, Remove_Key };
enum class User { Click, Exit_During_Search, Exit_During_Transfer };
enum class End { Enabled, Disabled, Exited }; // the update button after the run, or the process gone (status 0)
enum class Port { None, Untouched, Open, Closed, Abandoned };
enum class Flashed { Nothing, Image, Part };  // the handset's capture after its last run

struct Update_Run {
    Handset handset = Handset::New;
    std::vector<std::string> sim = {};          // options of a new handset
    Preparation setup = Preparation::None;
    User user = User::Click;
    std::vector<Log_Line> log = {};
    std::vector<std::string> boxes = {};        // UTF-8
    End end = End::Enabled;
    Port port = Port::Closed;
    std::vector<std::string> exchanges = {};    // see Compare_Exchanges
    Flashed flashed = Flashed::Nothing;
    int received = -1;                          // bytes the handset got in all, when this is its only run
};

struct Scenario {
    std::string name;
    std::vector<Update_Run> runs;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

std::vector<Scenario> Update_Scenarios();

} // namespace e2e
