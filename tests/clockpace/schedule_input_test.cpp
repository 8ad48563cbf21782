// SPDX-License-Identifier: GPL-3.0-or-later
// What the "Time Scheduling" dialog accepts on OK, in every build.
#include "schedule_input.h"

#include <gtest/gtest.h>

namespace {

using clockpace::ReadScheduleInput;
using clockpace::ScheduleInput;

TEST(ScheduleInput, TakesWholeNumbersInRangeAndTurnsZeroIntoOneMinute)
{
    ScheduleInput in = ReadScheduleInput("2", " 30 ");
    EXPECT_TRUE(in.ok);
    EXPECT_EQ(in.hours, 2u);
    EXPECT_EQ(in.minutes, 30u);
    in = ReadScheduleInput("23", "59");
    EXPECT_TRUE(in.ok && in.hours == 23 && in.minutes == 59);
    in = ReadScheduleInput("0", "0");
    EXPECT_TRUE(in.ok);
    EXPECT_EQ(in.hours, 0u);
    EXPECT_EQ(in.minutes, 1u);
    in = ReadScheduleInput("007", "00");
    EXPECT_TRUE(in.ok && in.hours == 7 && in.minutes == 0);
}

TEST(ScheduleInput, RefusesWhatIsNotANonNegativeInteger)
{
    for (const char* text : {"", "  ", "-1", "+3", "1.5", "2h", "x", "1 2"}) {
        ScheduleInput in = ReadScheduleInput(text, "30");
        EXPECT_FALSE(in.ok) << '"' << text << '"';
        EXPECT_EQ(in.message, "Please enter a positive integer.") << text;
        EXPECT_EQ(in.field, ScheduleInput::kHours);
    }
    ScheduleInput in = ReadScheduleInput("1", "abc");
    EXPECT_EQ(in.message, "Please enter a positive integer.");
    EXPECT_EQ(in.field, ScheduleInput::kMinutes);
}

TEST(ScheduleInput, RefusesValuesOutsideTheirRangesHoursFirst)
{
    ScheduleInput in = ReadScheduleInput("24", "60");
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(in.message, "Please enter an integer between 0 and 23.");
    EXPECT_EQ(in.field, ScheduleInput::kHours);
    in = ReadScheduleInput("1", "60");
    EXPECT_EQ(in.message, "Please enter an integer between 0 and 59.");
    EXPECT_EQ(in.field, ScheduleInput::kMinutes);
    // Past 32 bits is still a number, only out of range (never wrapped to a small one).
    in = ReadScheduleInput("4294967297", "0");
    EXPECT_EQ(in.message, "Please enter an integer between 0 and 23.");
    in = ReadScheduleInput("1", "99999999999999999999999");
    EXPECT_EQ(in.message, "Please enter an integer between 0 and 59.");
}

} // namespace
