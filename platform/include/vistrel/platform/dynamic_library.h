// SPDX-License-Identifier: GPL-3.0-or-later
// Shared libraries, loaded by absolute path only: a relative name would let
// the current directory (or a search path) decide which code runs.
#pragma once

#include <string>

namespace vistrel::platform {

using LibraryHandle = void*;

// Loads the library at `absolutePath`. On failure returns null and sets
// `systemText` to the system's own explanation (never empty). A relative path
// is refused without touching the file system.
LibraryHandle LoadLibraryAbsolute(const std::string& absolutePath, std::string& systemText);

// The exported symbol `name`, or null.
void* FindSymbol(LibraryHandle library, const char* name);

void FreeLibrary(LibraryHandle library);

} // namespace vistrel::platform
