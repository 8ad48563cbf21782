// SPDX-License-Identifier: GPL-3.0-or-later
// The backends' constructors, each in the file of its own desktop.
#pragma once

#include "vistrel/wallpaper/installer.h"

#include <memory>
#include <string>

namespace vistrel::wallpaper::detail {

std::unique_ptr<WallpaperInstaller> MakeCommandInstaller(const std::string& commandTemplate);
#ifdef _WIN32
std::unique_ptr<WallpaperInstaller> MakeWindowsInstaller();
#else
// Bare X11. The root window is drawn only when no desktop program's window
// covers it: under a known desktop program's window (`lookForDesktop`) that
// desktop's backend is used instead, and under an unknown one Apply fails,
// saying that the root is hidden. Without `lookForDesktop` the root is drawn
// whatever covers it (for backends that found their desktop missing).
std::unique_ptr<WallpaperInstaller> MakeX11Installer(bool lookForDesktop = true);
std::unique_ptr<WallpaperInstaller> MakeDesktopInstaller(Backend backend);
#endif

// The style as the command template's %s word: "tile" or "center".
const char* StyleWord(Style style);

} // namespace vistrel::wallpaper::detail
