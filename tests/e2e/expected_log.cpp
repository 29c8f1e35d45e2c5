#include "expected_log.h"

#include <windows.h>

#include <cstring>
#include <sstream>

namespace e2e {
namespace {

constexpr UINT CP_BIG5 = 950;

std::string Convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty()) return text;
    int wide_length = MultiByteToWideChar(from, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(wide_length, L'\0');
    MultiByteToWideChar(from, 0, text.data(), int(text.size()), wide.data(), wide_length);
    int length = WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
    return out;
}

int Index_Of(const char* const names[], int count, const std::string& name)
{
    for (int i = 0; i < count; ++i)
        if (name == names[i]) return i;
    return -1;
}

bool Digits(const std::string& text, size_t at, size_t count, int& value)
{
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

std::string Show(const std::string& cp950)
{
    std::string text = Utf8(cp950);
    std::string shown = "\"";
    for (char c : text) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown + "\"";
}

// What a timed line must look like, given the line read.
std::string Check_Timed(const std::string& head, const std::string& line, std::time_t earliest, std::time_t latest,
                        std::time_t& previous)
{
    const size_t size = head.size() + 24 + 2;
    if (line.size() != size || line.compare(0, head.size(), head) != 0 || line.compare(size - 2, 2, "\n.") != 0)
        return "not <" + Utf8(head) + "><time text>\\n.";
    std::tm tm{};
    if (!Parse_Time_Text(line.substr(head.size(), 24), tm)) return "the time text has not the ctime layout";
    std::tm normal = tm;
    normal.tm_isdst = -1;
    std::time_t when = std::mktime(&normal);
    if (when == -1 || normal.tm_wday != tm.tm_wday || normal.tm_mday != tm.tm_mday)
        return "the weekday does not fit the date";
    if (when < earliest || when > latest) return "not the local time of the run";
    if (when < previous) return "earlier than the line before";
    previous = when;
    return "";
}

} // namespace

std::string Cp950(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_BIG5); }
std::string Utf8(const std::string& cp950) { return Convert(cp950, CP_BIG5, CP_UTF8); }

Log_Line Line(const std::string& utf8) { return {utf8, false}; }
Log_Line Timed(const std::string& utf8) { return {utf8, true}; }

std::vector<std::string> Split_Log(const std::string& memo)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = memo.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(memo.substr(start, end - start));
    if (start < memo.size()) lines.push_back(memo.substr(start)); // a last line without its CR LF
    return lines;
}

bool Parse_Time_Text(const std::string& text, std::tm& tm)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // "Mon Mar 05 09:05:03 2007"
    if (text.size() != 24) return false;
    for (size_t at : {3u, 7u, 10u, 19u})
        if (text[at] != ' ') return false;
    if (text[13] != ':' || text[16] != ':') return false;
    tm = {};
    tm.tm_wday = Index_Of(days, 7, text.substr(0, 3));
    tm.tm_mon = Index_Of(months, 12, text.substr(4, 3));
    int year = 0;
    if (tm.tm_wday < 0 || tm.tm_mon < 0 || !Digits(text, 8, 2, tm.tm_mday) || !Digits(text, 11, 2, tm.tm_hour) ||
        !Digits(text, 14, 2, tm.tm_min) || !Digits(text, 17, 2, tm.tm_sec) || !Digits(text, 20, 4, year))
        return false;
    tm.tm_year = year - 1900;
    return tm.tm_mday >= 1 && tm.tm_mday <= 31 && tm.tm_hour < 24 && tm.tm_min < 60 && tm.tm_sec < 61;
}

std::string Compare_Log(const std::vector<Log_Line>& expected, const std::string& memo, std::time_t earliest,
                        std::time_t latest)
{
    const std::vector<std::string> lines = Split_Log(memo);
    std::ostringstream diff;
    if (memo.size() >= 2 && memo.compare(memo.size() - 2, 2, "\r\n") != 0)
        diff << "  the log does not end with CR LF\n";
    std::time_t previous = 0;
    for (size_t i = 0; i < expected.size() || i < lines.size(); ++i) {
        if (i >= lines.size()) {
            diff << "  line " << i + 1 << " missing: " << expected[i].head << (expected[i].timed ? "<time>" : "")
                 << "\n";
            continue;
        }
        if (i >= expected.size()) {
            diff << "  line " << i + 1 << " not expected: " << Show(lines[i]) << "\n";
            continue;
        }
        const std::string head = Cp950(expected[i].head);
        std::string why = expected[i].timed ? Check_Timed(head, lines[i], earliest, latest, previous)
                                            : (lines[i] == head ? "" : "expected " + Show(head));
        if (!why.empty()) diff << "  line " << i + 1 << " " << Show(lines[i]) << ": " << why << "\n";
    }
    if (diff.str().empty()) return "";
    std::ostringstream all;
    all << "log differs:\n" << diff.str() << "the whole log:\n";
    for (const std::string& line : lines) all << "  " << Show(line) << "\n";
    return all.str();
}

} // namespace e2e
