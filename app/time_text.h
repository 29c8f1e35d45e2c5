#pragma once
// The time stamp of the update log: the C library's ctime layout, but with the
// day of the month always two digits ("Mon Mar 05 09:05:03 2007\n").
#include <ctime>
#include <string>

// Local time of `when`, 24 characters and a line feed.
std::string Time_Text(std::time_t when);
// The same for the present moment.
std::string Time_Text();
