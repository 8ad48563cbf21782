// SPDX-License-Identifier: GPL-3.0-or-later
// The "Time Scheduling" dialog that edits the interval's hours and minutes.
#pragma once

#include "vistrel_extender.h"

#include <cstdint>

namespace clockpace {

// Lets the user edit the block in place; returns whether OK was chosen.
// Without a GUI the block stays as it is.
bool RunSetupDialog(std::uint8_t* block);

// Where the dialog's messages go (the program's sink, handed over by the loader).
void SetSetupMessageSink(VistrelMessageFn sink);

} // namespace clockpace
