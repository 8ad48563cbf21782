// SPDX-License-Identifier: GPL-3.0-or-later
// The interval rule: change the wallpaper every H hours and M minutes,
// counting from the poll at which the last change was found due. Everything
// it remembers lives in the list's scheduler block:
//
//   0  size (64)           40  1 (set by the defaults, read by nothing)
//   4  extender value 100  44  poll period in milliseconds (30000)
//   8  ID, NUL-padded      48  last change: 100-ns ticks since 1601 of local
//  38  padding                 wall-clock time, 0 = never (low word first)
//                          56  hours   60  minutes
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace clockpace {

inline constexpr std::size_t kBlockBytes = 64;
inline constexpr std::size_t kPollOffset = 44;
inline constexpr std::size_t kLastChangeOffset = 48;
inline constexpr std::size_t kHoursOffset = 56;
inline constexpr std::size_t kMinutesOffset = 60;
inline constexpr std::uint64_t kTicksPerMinute = 600000000ull;
inline constexpr const char* kId = "T0001-CLOCKPACE              ";

// The default block's bytes.
void FillDefaultBlock(std::uint8_t* block);

// Whether a change is due at `now` (local ticks since 1601). When it is, the
// block's last change becomes `now`. The time since the last change is taken
// modulo 2^64, so a clock set back makes the change due at once. A block too
// small to hold the fields is never due.
bool IsChangeDue(std::uint8_t* block, std::uint64_t now);

// "Change Wallpaper every 2 hrs and 30 mins" and its variants.
std::string Describe(const std::uint8_t* block);

// The current local date and time as ticks of 100 ns since 1 January 1601,
// at millisecond precision.
std::uint64_t LocalTicksNow();
// Local ticks for a given civil date and time (for tests and the clock).
std::uint64_t TicksFromCivil(int year, int month, int day, int hour, int minute, int second, int millisecond);

} // namespace clockpace
