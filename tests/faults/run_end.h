#pragma once
// The ways an update run can end, as the user sees them (the box, the log,
// the update button, the process), and the check that what was seen is one
// of the documented ends with the log that belongs to it.
#include <windows.h>

#include <string>
#include <vector>

namespace faults {

enum class End {
    Done,          // "更新完成." and 20 spaces
    Failed,        // "更新失敗." and 20 spaces
    Erase_Failed,  // "清除FLASH 失敗."
    Code_Empty,    // national code 0xFF: box, then the process ends
    Code_Foreign,  // any other foreign code: the three-line box, then the end
    Enum_Failed,   // " Enumerate COM port fail! ", then "找不到COM."
    Searching,     // no handset found yet; ended with the exit button
    Exit_Button,   // ended with the exit button in the middle of a run
    // Not documented: each of these is a finding.
    Other_Box,
    Vanished,      // the process ended by itself without a box
    Hung,          // no end within the run's bound
    No_Simulator,
};

const char* End_Name(End end);
// The end that a box of the program stands for (Other_Box for any other text).
End End_Of_Box(const std::string& box);

// What the run looked like when it ended.
struct Seen_End {
    End end = End::Hung;
    std::string box;                // code page 950
    std::vector<std::string> log;   // the memo's lines, code page 950
    bool button_enabled = false;    // the update button, after the box was closed
    bool process_ended = false;
    DWORD exit_status = STILL_ACTIVE;
};

// What the log (and the handset's record) add to an end.
struct Marks {
    bool national_read_error = false; // "GetNationalCode Error !!!"
    bool set_code_ok = false;         // the log cleared, then "SetNationalCode OK!!!"
    bool set_code_error = false;      // the log cleared, then "SetNationalCode Error !!!"
    bool found_later = false;         // the first sync failed; a later pass found the handset
};
// The first three, from the log.
Marks Marks_Of(const std::vector<std::string>& log);

// The log of a run that is still searching: the three lines before the search.
bool Is_Search_Log(const std::vector<std::string>& log);

// The memo's text cut at its carriage return + line feed pairs.
std::vector<std::string> Split_Log(const std::string& memo);

// Empty when seen is a documented end, with the log lines, button and
// process state that the end leaves; otherwise what differs, readable.
// port: the port the handset was found on.
std::string Check_Documented_End(const Seen_End& seen, unsigned port);

// "done", "erase-failed+read-error", ... for the tables.
std::string Describe(End end, const Marks& marks);

} // namespace faults
