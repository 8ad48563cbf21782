// SPDX-License-Identifier: GPL-3.0-or-later
// Picshow's part of shrink-on-load: the size its modes scale a picture to,
// and the desktop colour that lies around it.
#include "needed_size.h"
#include "viewer_block.h"

#include "vistrel/wallpaper/screen.h"
#include "vistrel_extender.h"

namespace {

picshow::Screen ScreenOf(const VistrelScreen* given)
{
    if (given)
        return {given->width, given->height, given->workRight, given->workBottom, given->background};
    // The screen show will compose for.
    vistrel::wallpaper::ScreenGeometry geometry = vistrel::wallpaper::QueryScreenGeometry();
    return {geometry.width, geometry.height, geometry.workArea.right, geometry.workArea.bottom, geometry.background};
}

} // namespace

VISTREL_OPERATION(void, NeededSize)
(void* block, const VistrelScreen* screen, std::uint32_t pictureWidth, std::uint32_t pictureHeight, VistrelNeed* need)
{
    auto* bytes = static_cast<const std::uint8_t*>(block);
    if (!need)
        return;
    *need = VistrelNeed{};
    if (!picshow::IsViewerBlock(bytes))
        return;
    const picshow::Screen target = ScreenOf(screen);
    need->flags = VISTREL_NEED_BACKGROUND;
    need->background = target.background & 0xFFFFFFu;
    if (auto size = picshow::NeededSize(picshow::ReadSettings(bytes), target, pictureWidth, pictureHeight)) {
        need->flags |= VISTREL_NEED_SCALED;
        need->width = size->width;
        need->height = size->height;
    }
}
