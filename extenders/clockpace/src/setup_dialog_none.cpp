// SPDX-License-Identifier: GPL-3.0-or-later
// Builds without a GUI have no dialog: the schedule stays as it is.
#include "setup_dialog.h"

namespace clockpace {

bool RunSetupDialog(std::uint8_t*) { return false; }

void SetSetupMessageSink(VistrelMessageFn) {}

} // namespace clockpace
