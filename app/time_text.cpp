#include "app/time_text.h"

#include <cstdio>

std::string Time_Text(std::time_t when)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm* t = std::localtime(&when);
    if (!t) return "??? ??? ?? ??:??:?? ????\n";
    char text[32];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n", days[t->tm_wday % 7],
                  months[t->tm_mon % 12], t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec,
                  t->tm_year + 1900);
    return text;
}

std::string Time_Text() { return Time_Text(std::time(nullptr)); }
