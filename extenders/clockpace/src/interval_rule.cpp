// SPDX-License-Identifier: GPL-3.0-or-later
#include "interval_rule.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#ifdef _WIN32
#include <windows.h>
#endif

namespace clockpace {

namespace {

std::uint32_t Get32(const std::uint8_t* b, std::size_t at)
{
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

void Put32(std::uint8_t* b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool HoldsFields(const std::uint8_t* block) { return block && Get32(block, 0) >= kBlockBytes; }

// Days from 1 January 1601 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysSince1601(int year, int month, int day)
{
    std::int64_t y = year - (month <= 2 ? 1 : 0);
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t mp = (month + 9) % 12;
    std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    std::int64_t daysSince1970 = era * 146097 + doe - 719468;
    return daysSince1970 + 134774; // 1601-01-01 lies 134774 days before 1970-01-01
}

} // namespace

void FillDefaultBlock(std::uint8_t* block)
{
    std::memset(block, 0, kBlockBytes);
    Put32(block, 0, kBlockBytes);
    Put32(block, 4, 100);
    std::memcpy(block + 8, kId, 30); // 29 characters and the terminating zero
    Put32(block, 40, 1);
    Put32(block, kPollOffset, 30000);
    Put32(block, kHoursOffset, 0);
    Put32(block, kMinutesOffset, 30);
}

bool IsChangeDue(std::uint8_t* block, std::uint64_t now)
{
    if (!HoldsFields(block))
        return false;
    auto hours = static_cast<std::int32_t>(Get32(block, kHoursOffset));
    auto minutes = static_cast<std::int32_t>(Get32(block, kMinutesOffset));
    // Signed 32-bit fields, product formed in 64 bits and compared unsigned.
    // Beyond about 256 million hours the product no longer fits 64 bits; it
    // is held at the largest (or smallest) value instead of wrapping round
    // to a short interval.
    const std::int64_t totalMinutes = std::int64_t{hours} * 60 + minutes; // within ±2^38
    constexpr auto kTicks = static_cast<std::int64_t>(kTicksPerMinute);
    const std::int64_t signedInterval = totalMinutes > INT64_MAX / kTicks   ? INT64_MAX
                                        : totalMinutes < INT64_MIN / kTicks ? INT64_MIN
                                                                            : totalMinutes * kTicks;
    auto interval = static_cast<std::uint64_t>(signedInterval);
    std::uint64_t last =
        std::uint64_t{Get32(block, kLastChangeOffset)} | std::uint64_t{Get32(block, kLastChangeOffset + 4)} << 32;
    std::uint64_t elapsed = now - last;
    if (elapsed <= interval)
        return false;
    Put32(block, kLastChangeOffset, static_cast<std::uint32_t>(now));
    Put32(block, kLastChangeOffset + 4, static_cast<std::uint32_t>(now >> 32));
    return true;
}

std::string Describe(const std::uint8_t* block)
{
    int hours = 0, minutes = 0;
    if (HoldsFields(block)) {
        hours = static_cast<std::int32_t>(Get32(block, kHoursOffset));
        minutes = static_cast<std::int32_t>(Get32(block, kMinutesOffset));
    }
    std::string text = "Change Wallpaper every";
    // Each piece is formatted into a 10-byte scratch buffer; values that do
    // not fit are cut, never written past it.
    char scratch[10];
    if (hours != 0) {
        std::snprintf(scratch, sizeof scratch, " %d hrs ", hours);
        text += scratch;
    }
    if (hours != 0 && minutes != 0)
        text += "and";
    if (minutes != 0) {
        std::snprintf(scratch, sizeof scratch, " %d mins", minutes);
        text += scratch;
    }
    return text;
}

std::uint64_t TicksFromCivil(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    std::int64_t seconds = DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<std::uint64_t>(seconds) * 10000000ull + static_cast<std::uint64_t>(millisecond) * 10000ull;
}

std::uint64_t LocalTicksNow()
{
#ifdef _WIN32
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    FILETIME ticks;
    ::SystemTimeToFileTime(&local, &ticks);
    return std::uint64_t{ticks.dwHighDateTime} << 32 | ticks.dwLowDateTime;
#else
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    ::localtime_r(&now.tv_sec, &local);
    return TicksFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(now.tv_nsec / 1000000));
#endif
}

} // namespace clockpace
