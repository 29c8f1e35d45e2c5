#include "run_end.h"

#include <cctype>

#include "tools/ui_driver/ui_driver.h"
#include "ui_texts.h"

namespace faults {
namespace {

struct End_Name_Entry {
    End end;
    const char* name;
};
constexpr End_Name_Entry END_NAMES[] = {
    {End::Done, "done"},
    {End::Failed, "failed"},
    {End::Erase_Failed, "erase-failed"},
    {End::Code_Empty, "code-empty"},
    {End::Code_Foreign, "code-foreign"},
    {End::Enum_Failed, "enum-failed"},
    {End::Searching, "searching"},
    {End::Exit_Button, "exit-button"},
    {End::Other_Box, "OTHER-BOX"},
    {End::Vanished, "VANISHED"},
    {End::Hung, "HUNG"},
    {End::No_Simulator, "NO-SIMULATOR"},
};

const std::vector<std::string> SEARCH_LINES = {ui_text::FILE_OPENED, ui_text::SEARCHING_COM,
                                               ui_text::SEARCH_MAY_TAKE_30S};

// head, then the time text ("Www Mmm dd hh:mm:ss yyyy" and a line feed), then ".".
bool Is_Time_Line(const std::string& line, const std::string& head)
{
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (line.size() != head.size() + 26 || line.compare(0, head.size(), head) != 0) return false;
    const std::string t = line.substr(head.size());
    auto one_of = [&](const char* const* names, int count, size_t at) {
        for (int i = 0; i < count; ++i)
            if (t.compare(at, 3, names[i]) == 0) return true;
        return false;
    };
    auto digits = [&](size_t at, size_t n) {
        for (size_t i = at; i < at + n; ++i)
            if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        return true;
    };
    return one_of(DAYS, 7, 0) && t[3] == ' ' && one_of(MONTHS, 12, 4) && t[7] == ' ' && digits(8, 2) &&
           t[10] == ' ' && digits(11, 2) && t[13] == ':' && digits(14, 2) && t[16] == ':' && digits(17, 2) &&
           t[19] == ' ' && digits(20, 4) && t[24] == '\n' && t[25] == '.';
}

std::string Quoted(const std::vector<std::string>& log)
{
    std::string text;
    for (const std::string& line : log) {
        std::string shown;
        for (char c : ui_driver::Ansi_To_Utf8(line)) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
        text += "\n    | " + shown;
    }
    return text.empty() ? " (empty)" : text;
}

// The lines from the search to the point where a run that found the port
// on `port` judges the national code: the three search lines, the port line,
// and, when the query failed, its error line. Returns where they end, or 0
// when the log does not begin that way.
size_t Found_Prefix(const std::vector<std::string>& log, unsigned port)
{
    if (log.size() < 4) return 0;
    for (size_t i = 0; i < 3; ++i)
        if (log[i] != SEARCH_LINES[i]) return 0;
    if (log[3] != ui_text::COM_FOUND + std::to_string(port)) return 0;
    return log.size() > 4 && log[4] == ui_text::GET_NATIONAL_CODE_ERROR ? 5 : 4;
}

std::string Check_Log(const Seen_End& seen, unsigned port)
{
    const std::vector<std::string>& log = seen.log;
    const size_t n = Found_Prefix(log, port);
    switch (seen.end) {
    case End::Searching:
        return log == SEARCH_LINES ? "" : "the log is not just the three search lines";
    case End::Enum_Failed: {
        std::vector<std::string> expected = SEARCH_LINES;
        expected.push_back(ui_text::COM_NOT_FOUND);
        return log == expected ? "" : "the log is not the search lines and \"not found\"";
    }
    case End::Code_Empty:
    case End::Code_Foreign: {
        const char* last =
            seen.end == End::Code_Empty ? ui_text::NATIONAL_CODE_EMPTY_LOG : ui_text::NATIONAL_CODE_FOREIGN_LOG;
        return n && log.size() == n + 1 && log[n] == last ? "" : "the log does not end with the national code line";
    }
    case End::Erase_Failed:
        return n && log.size() == n + 1 && Is_Time_Line(log[n], ui_text::ERASE_BEGIN)
                   ? ""
                   : "the log does not end with the erase start line";
    case End::Done:
    case End::Failed: {
        if (log == std::vector<std::string>{ui_text::SET_NATIONAL_CODE_OK} ||
            log == std::vector<std::string>{ui_text::SET_NATIONAL_CODE_ERROR})
            return "";
        const char* const heads[] = {ui_text::ERASE_BEGIN, ui_text::ERASE_END, ui_text::SEND_BEGIN, ui_text::SEND_END};
        bool ok = n && log.size() == n + 4;
        for (size_t i = 0; ok && i < 4; ++i) ok = Is_Time_Line(log[n + i], heads[i]);
        return ok ? "" : "the log does not end with the four time lines, nor holds just the national code line";
    }
    case End::Exit_Button:
        return "";
    default:
        return "not a documented end";
    }
}

} // namespace

const char* End_Name(End end)
{
    for (const auto& entry : END_NAMES)
        if (entry.end == end) return entry.name;
    return "?";
}

End End_Of_Box(const std::string& box)
{
    if (box == ui_text::UPDATE_DONE_BOX) return End::Done;
    if (box == ui_text::UPDATE_FAILED_BOX) return End::Failed;
    if (box == ui_text::ERASE_FAILED_BOX) return End::Erase_Failed;
    if (box == ui_text::NATIONAL_CODE_EMPTY_BOX) return End::Code_Empty;
    if (box == ui_text::NATIONAL_CODE_FOREIGN_BOX) return End::Code_Foreign;
    if (box == ui_text::ENUMERATE_COM_PORT_FAIL) return End::Enum_Failed;
    return End::Other_Box;
}

std::vector<std::string> Split_Log(const std::string& memo)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = memo.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(memo.substr(start, end - start));
    if (start < memo.size()) lines.push_back(memo.substr(start));
    return lines;
}

bool Is_Search_Log(const std::vector<std::string>& log)
{
    return log == SEARCH_LINES;
}

Marks Marks_Of(const std::vector<std::string>& log)
{
    Marks marks;
    for (const std::string& line : log) marks.national_read_error |= line == ui_text::GET_NATIONAL_CODE_ERROR;
    marks.set_code_ok = log == std::vector<std::string>{ui_text::SET_NATIONAL_CODE_OK};
    marks.set_code_error = log == std::vector<std::string>{ui_text::SET_NATIONAL_CODE_ERROR};
    return marks;
}

std::string Check_Documented_End(const Seen_End& seen, unsigned port)
{
    std::string problems;
    auto add = [&](const std::string& problem) {
        if (!problem.empty()) problems += (problems.empty() ? "" : "; ") + problem;
    };
    add(Check_Log(seen, port));
    switch (seen.end) {
    case End::Done:
    case End::Failed:
    case End::Erase_Failed:
        if (seen.process_ended) add("the process ended");
        if (!seen.button_enabled) add("the update button stayed disabled");
        break;
    case End::Enum_Failed:
        if (seen.process_ended) add("the process ended");
        if (seen.button_enabled) add("the update button was enabled again");
        break;
    case End::Code_Empty:
    case End::Code_Foreign:
    case End::Searching:
    case End::Exit_Button:
        if (!seen.process_ended) add("the process did not end");
        else if (seen.exit_status != 0) add("exit status " + std::to_string(seen.exit_status));
        break;
    default:
        break;
    }
    if (!problems.empty() && !seen.log.empty()) problems += "; log:" + Quoted(seen.log);
    return problems;
}

std::string Describe(End end, const Marks& marks)
{
    std::string text = End_Name(end);
    if (marks.found_later) text += "+resync";
    if (marks.national_read_error) text += "+read-error";
    if (marks.set_code_ok) text += "+set-ok";
    if (marks.set_code_error) text += "+set-error";
    return text;
}

} // namespace faults
