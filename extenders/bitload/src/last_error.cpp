// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's one static error text.
#include <cstring>

#include "reader.h"

namespace vistrel::bitload {
namespace {
char g_lastError[64]; // the longest message has 28 characters
}

void SetReadError(const char* message)
{
    std::size_t n = std::min(std::strlen(message), sizeof g_lastError - 1);
    std::memcpy(g_lastError, message, n);
    g_lastError[n] = '\0';
}

const char* ReadLastError() { return g_lastError; }

} // namespace vistrel::bitload
