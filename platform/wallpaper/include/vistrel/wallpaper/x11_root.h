// SPDX-License-Identifier: GPL-3.0-or-later
// The bare-X11 wallpaper: the picture drawn onto a pixmap that becomes the
// root window's background, announced through _XROOTPMAP_ID and
// ESETROOT_PMAP_ID so that terminals and compositors that read it find it.
// libX11 and libXrandr are loaded at run time, so nothing here needs an X
// server or the libraries until it is called. Not built on Windows.
#pragma once

#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/picture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vistrel::wallpaper {

struct RootPictureOptions {
    std::string display;          // empty: $DISPLAY
    std::uint32_t background = 0; // 0x00RRGGBB around a centred picture
};

// Draws `picture` over the whole root window of the default screen: tiled
// from (0,0), or centred on each monitor (on the whole screen when RandR
// names none) with the offset rounded down, on the background colour. The
// pixmap is made on a connection that is closed with RetainPermanent, so it
// outlives this process; the pixmap a previous setter left this way is freed
// (its retained client killed) when both properties still name it. The
// pixels go through shared memory where the server offers it.
// `connection`: a layout's open connection to the same display
// (MonitorLayout's), used instead of connecting anew.
bool SetRootPicture(const PictureView& picture, Style style, const RootPictureOptions& options, std::string& error,
                    const std::shared_ptr<void>& connection = nullptr);

// Each monitor's picture in its area (see MonitorWallpaper), the background
// colour elsewhere, in one pixmap of the whole screen set as above.
bool SetRootPictures(const std::vector<MonitorWallpaper>& wallpapers, const RootPictureOptions& options,
                     std::string& error, const std::shared_ptr<void>& connection = nullptr);

// Reads a bitmap file (see ReadBitmapFile) and sets it as above.
bool SetRootPictureFile(const std::string& path, Style style, const RootPictureOptions& options, std::string& error);

} // namespace vistrel::wallpaper
