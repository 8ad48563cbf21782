// SPDX-License-Identifier: GPL-3.0-or-later
// sway's outputs, as "swaymsg -t get_outputs" describes them in JSON.
#pragma once

#include "vistrel/wallpaper/monitors.h"

#include <optional>
#include <string>
#include <vector>

namespace vistrel::wallpaper::detail {

// The active outputs: their names and their rectangles in the layout, which
// sway gives with each output's scale and transform applied; nullopt when
// the text is no JSON array.
std::optional<std::vector<Monitor>> ParseSwayOutputs(const std::string& text);

} // namespace vistrel::wallpaper::detail
