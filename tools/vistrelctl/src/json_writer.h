// SPDX-License-Identifier: GPL-3.0-or-later
// Just enough JSON for `show --json`: strings escaped, everything else as is.
#pragma once

#include <string>
#include <string_view>

namespace vistrelctl {

std::string JsonString(std::string_view text);

} // namespace vistrelctl
