// SPDX-License-Identifier: GPL-3.0-or-later
// Storing a DIB as a Windows bitmap file.
#pragma once

#include "vistrel/platform/global_memory.h"

namespace vistrel::dib {

// Writes the 14-byte file header and then the whole block as it is (header,
// colour table, pixels). `name` is a UTF-8 path. False on failure, with the
// reason in DibLastError().
bool WriteDIB(const char* name, gmem::Handle dib);

} // namespace vistrel::dib
