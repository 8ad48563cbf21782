// SPDX-License-Identifier: GPL-3.0-or-later
// The reader's one static error text.
#include <cstring>

#include "reader.h"

namespace vistrel::bitload {
namespace {
char g_lastError[160]; // the longest fixed message has 28 characters
char g_headerWhy[128]; // why the header step refused, where its text says more than its message
} // namespace

void SetReadError(const char* message)
{
    std::size_t n = std::min(std::strlen(message), sizeof g_lastError - 1);
    std::memcpy(g_lastError, message, n);
    g_lastError[n] = '\0';
}

const char* ReadLastError() { return g_lastError; }

void SetHeaderReason(const char* why)
{
    std::size_t n = std::min(std::strlen(why), sizeof g_headerWhy - 1);
    std::memcpy(g_headerWhy, why, n);
    g_headerWhy[n] = '\0';
}

std::string TakeHeaderReason()
{
    std::string why = g_headerWhy;
    g_headerWhy[0] = '\0';
    return why;
}

} // namespace vistrel::bitload
