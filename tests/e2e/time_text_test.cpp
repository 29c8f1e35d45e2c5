// The time text of the update log: the ctime layout with a two-digit day and a
// line feed, in local time. The zone is fixed through TZ, which the C runtime
// reads in place of the system's zone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/time_text.h"

namespace {

class Zone : public ::testing::Test {
protected:
    static void Set_Zone(const char* tz)
    {
        _putenv_s("TZ", tz);
        _tzset();
    }
    void TearDown() override { Set_Zone(""); }
};

TEST_F(Zone, LayoutWithTheDayInTwoDigits)
{
    Set_Zone("UTC0");
    struct Case {
        std::time_t when;
        const char* text;
    };
    const Case cases[] = {
        {1173085503, "Mon Mar 05 09:05:03 2007\n"}, // the 5th shows 05, not " 5"
        {1696147740, "Sun Oct 01 08:09:00 2023\n"},
        {1731243607, "Sun Nov 10 13:00:07 2024\n"},
        {951868799, "Tue Feb 29 23:59:59 2000\n"},
        {946598400, "Fri Dec 31 00:00:00 1999\n"},
        {2147483648, "Tue Jan 19 03:14:08 2038\n"}, // past the 32-bit time
    };
    for (const Case& c : cases) EXPECT_EQ(Time_Text(c.when), c.text) << c.when;
}

TEST_F(Zone, IsLocalTime)
{
    Set_Zone("TST-8"); // Taipei, eight hours ahead: 21:05 on the 4th is 05:05 on the 5th
    EXPECT_EQ(Time_Text(1173042303), "Mon Mar 05 05:05:03 2007\n");
    Set_Zone("EST5");
    EXPECT_EQ(Time_Text(1173042303), "Sun Mar 04 16:05:03 2007\n");
}

// Against the C runtime's own formatting, every 37 hours and 7 minutes over
// three years: every weekday, month and day of the month, every hour.
TEST_F(Zone, AgreesWithStrftime)
{
    Set_Zone("UTC0");
    for (std::time_t when = 1262304000; when < 1356998400; when += 37 * 3600 + 7 * 60 + 13) {
        char expected[64];
        std::strftime(expected, sizeof expected, "%a %b %d %H:%M:%S %Y\n", std::localtime(&when));
        ASSERT_EQ(Time_Text(when), expected) << when;
    }
}

TEST_F(Zone, NowIsThePresentMoment)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::time_t before = std::time(nullptr);
        std::string text = Time_Text();
        if (std::time(nullptr) == before) {
            EXPECT_EQ(text, Time_Text(before));
            return;
        }
    }
    FAIL() << "the clock never stood still for a call";
}

// A time the C runtime cannot break down still gives 24 characters and a line feed.
TEST_F(Zone, ATimeOutOfRangeKeepsTheLayoutLength)
{
    Set_Zone("UTC0");
    for (std::time_t when : {std::time_t(-1), std::time_t(-100000), std::time_t(1) << 60}) {
        std::string text = Time_Text(when);
        EXPECT_EQ(text.size(), 25u) << when;
        EXPECT_EQ(text.back(), '\n') << when;
    }
}

} // namespace
