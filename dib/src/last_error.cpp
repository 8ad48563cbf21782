// SPDX-License-Identifier: GPL-3.0-or-later
// One text per thread, like errno: the list manager converts preview pictures
// on a worker thread while its window may convert others, and every caller
// reads the message on the thread whose call failed. The longest message is
// well below the buffer's size; longer ones are cut, never spilled.
#include <cstring>

#include "last_error.h"
#include "vistrel/dib/convert.h"

namespace vistrel::dib {
namespace {
thread_local char g_lastError[128];
}

void SetDibError(const char* message)
{
    std::size_t n = std::strlen(message);
    if (n >= sizeof g_lastError)
        n = sizeof g_lastError - 1;
    std::memcpy(g_lastError, message, n);
    g_lastError[n] = '\0';
}

const char* DibLastError() { return g_lastError; }

} // namespace vistrel::dib
