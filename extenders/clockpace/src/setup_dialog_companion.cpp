// SPDX-License-Identifier: GPL-3.0-or-later
// With the GUI, the "Time Scheduling" dialog lives in the companion
// Clockpace_Dialogs; this side hands it the block's hours and minutes and
// writes them back on OK. Where no dialog can be shown (a program without
// windows) the block stays as it is.
#include "interval_rule.h"
#include "setup_dialog.h"
#include "setup_fields.h"

#include "vistrel/dialog_companion/companion.h"

namespace clockpace {

namespace {

const char kAnchor = 0; // any address inside this library
VistrelMessageFn g_sink = nullptr;

std::uint32_t Get32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

void SetSetupMessageSink(VistrelMessageFn sink) { g_sink = sink; }

bool RunSetupDialog(std::uint8_t* block)
{
    if (Get32(block) < kBlockBytes)
        return false; // too small to hold the interval
    auto entry = reinterpret_cast<ClockpaceSetupDialogFn>(
        vistrel::companion::FindDialogEntry(&kAnchor, CLOCKPACE_DIALOGS_COMPANION, CLOCKPACE_SETUP_DIALOG_ENTRY));
    if (!entry)
        return false;
    ClockpaceSetupFields fields{Get32(block + kHoursOffset), Get32(block + kMinutesOffset), g_sink};
    if (entry(&fields) != vistrel::companion::kAccepted)
        return false;
    Put32(block + kHoursOffset, fields.hours);
    Put32(block + kMinutesOffset, fields.minutes);
    return true;
}

} // namespace clockpace
