// SPDX-License-Identifier: GPL-3.0-or-later
// Running the desktop's own tools, always with an argument vector.
#pragma once

#include <string>
#include <vector>

namespace vistrel::wallpaper::detail {

// Runs `program` (looked up on PATH) and expects exit status 0. Otherwise
// false, with `error` naming the program, how it failed and the first line
// of its error output (or, when that is empty, of its standard output).
// Neither output is ever passed on to ours; standard output goes into
// `output` when given.
bool RunChecked(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
                std::string* output = nullptr);

} // namespace vistrel::wallpaper::detail
