// SPDX-License-Identifier: GPL-3.0-or-later
// The library's last error text, shared by the conversions and WriteDIB.
#pragma once

namespace vistrel::dib {

// Stores `message` as the last error text.
void SetDibError(const char* message);

} // namespace vistrel::dib
