// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts evaluated by KDE Plasma's shell (org.kde.PlasmaShell.evaluateScript),
// through whichever of the D-Bus tools is installed.
#pragma once

#include <string>

namespace vistrel::wallpaper::detail {

// Runs `script` in plasmashell; true with what the script printed in
// `printed`, false with `error` when no tool could reach plasmashell.
bool RunPlasmaScript(const std::string& script, std::string& error, std::string* printed = nullptr);

} // namespace vistrel::wallpaper::detail
