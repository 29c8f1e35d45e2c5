#pragma once
// The update log as the user reads it in the memo, and the texts the program
// shows. Expected texts are written here in UTF-8, as a person quotes them, and
// turned into the code page 950 bytes the program holds, so that a wrong byte
// in the program's own text table shows up.
#include <ctime>
#include <string>
#include <vector>

namespace e2e {

// UTF-8 -> code page 950, and back (for readable failure messages).
std::string Cp950(const std::string& utf8);
std::string Utf8(const std::string& cp950);

// One expected log line: a fixed text, or a head followed by the time text
// (24 characters in the ctime layout with a two-digit day, a line feed) and ".".
struct Log_Line {
    std::string head; // UTF-8
    bool timed = false;
};
Log_Line Line(const std::string& utf8);
Log_Line Timed(const std::string& utf8);

// The memo's text cut at its carriage return + line feed pairs.
std::vector<std::string> Split_Log(const std::string& memo);

// Reads a 24-character time text; false unless it has the exact layout.
bool Parse_Time_Text(const std::string& text, std::tm& tm);

// Empty when the memo holds exactly the expected lines, in order, with every
// time text a real local time within [earliest, latest] and never going back;
// otherwise what differs, readable.
std::string Compare_Log(const std::vector<Log_Line>& expected, const std::string& memo, std::time_t earliest,
                        std::time_t latest);

} // namespace e2e
