// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 inside the system, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace vistrel::platform {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(unsigned long code);

} // namespace vistrel::platform
