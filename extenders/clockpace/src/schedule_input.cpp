// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule_input.h"

#include <cstdint>

namespace clockpace {

namespace {

enum class Parsed { kNumber, kNotANumber, kTooLarge };

// Digits with optional blanks around them; anything else (a sign included)
// is not a non-negative integer. A number too large for 32 bits is still a
// number, just outside every range.
Parsed ParseUnsigned(std::string_view text, std::uint32_t& value)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return Parsed::kNotANumber;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return Parsed::kNotANumber;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > UINT32_MAX)
            v = std::uint64_t{UINT32_MAX} + 1; // stays too large without overflowing
    }
    if (v > UINT32_MAX)
        return Parsed::kTooLarge;
    value = static_cast<std::uint32_t>(v);
    return Parsed::kNumber;
}

std::string RangeMessage(std::uint32_t low, std::uint32_t high)
{
    std::string text = kOutOfRange;
    text.replace(text.find("%1"), 2, std::to_string(low));
    text.replace(text.find("%2"), 2, std::to_string(high));
    return text;
}

bool ReadField(std::string_view text, std::uint32_t high, ScheduleInput::Field field, ScheduleInput& input,
               std::uint32_t& value)
{
    Parsed parsed = ParseUnsigned(text, value);
    if (parsed == Parsed::kNumber && value <= high)
        return true;
    input.field = field;
    input.message = parsed == Parsed::kNotANumber ? kNotAPositiveInteger : RangeMessage(0, high);
    return false;
}

} // namespace

ScheduleInput ReadScheduleInput(std::string_view hours, std::string_view minutes)
{
    ScheduleInput input;
    if (!ReadField(hours, 23, ScheduleInput::kHours, input, input.hours) ||
        !ReadField(minutes, 59, ScheduleInput::kMinutes, input, input.minutes)) {
        input.hours = input.minutes = 0;
        return input;
    }
    if (input.hours == 0 && input.minutes == 0)
        input.minutes = 1;
    input.ok = true;
    return input;
}

} // namespace clockpace
