// SPDX-License-Identifier: GPL-3.0-or-later
// What the "Time Scheduling" dialog accepts on OK: the two fields as typed,
// checked the way the dialog reports them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace clockpace {

inline constexpr const char* kNotAPositiveInteger = "Please enter a positive integer.";
inline constexpr const char* kOutOfRange = "Please enter an integer between %1 and %2.";

struct ScheduleInput {
    bool ok = false;
    // When not ok: the message (bounds filled in) and the field at fault.
    std::string message;
    enum Field { kHours, kMinutes } field = kHours;
    // When ok: the values to store (both zero become 0 hours and 1 minute).
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
};

// Hours first, then minutes: each must be a whole non-negative number
// (blanks around it allowed), the hours 0 to 23, the minutes 0 to 59.
ScheduleInput ReadScheduleInput(std::string_view hours, std::string_view minutes);

} // namespace clockpace
