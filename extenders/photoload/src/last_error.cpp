// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's last error text: one per library, as the contract has it.
#include <string>

#include "read_photo_internal.h"

namespace vistrel::photoload {
namespace {
std::string g_lastError;
}

void SetPhotoError(std::string message) { g_lastError = std::move(message); }

const char* PhotoLastError() { return g_lastError.c_str(); }

} // namespace vistrel::photoload
