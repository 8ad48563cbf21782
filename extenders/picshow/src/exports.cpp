// SPDX-License-Identifier: GPL-3.0-or-later
// Picshow, the viewer extender: composes each image for the screen in one of
// five modes, writes it as the wallpaper file and hands it to the desktop.
#include "compose.h"
#include "free_pos_dialog.h"
#include "icons.h"
#include "show.h"
#include "viewer_block.h"

#include "vistrel/platform/global_memory.h"
#include "vistrel/wallpaper/screen.h"
#include "vistrel_extender.h"

#include <string>

namespace gmem = vistrel::gmem;

namespace {

VistrelMessageFn g_sink = nullptr;
picshow::ShowError g_lastError;

} // namespace

VISTREL_OPERATION(const char*, ID)(void) { return picshow::kId; }

VISTREL_OPERATION(const char*, version)(void) { return "5.1.0.81 [Apr 25 2000]"; }

VISTREL_OPERATION(const char*, description)(void)
{
    return "Standard Image Wallpaper Viewer - Extender\r\n"
           "Tile, Center, Fit, Proportioned Fit and Free Pos wallpapers\r\n"
           "Made by the Vistrel developers for Vistrel, the automatic wallpaper changer";
}

VISTREL_OPERATION(const char*, shortname)(void) { return "Picshow"; }

VISTREL_OPERATION(const char*, returnType)(void) { return "image"; }

VISTREL_OPERATION(void, SetMessageSink)(VistrelMessageFn sink) { g_sink = sink; }

// Why the last show failed; empty after a show that succeeded.
VISTREL_OPERATION(const char*, getError)(void) { return g_lastError.text.c_str(); }

// Whether the last show failed for its picture or for the desktop.
VISTREL_OPERATION(int, showFailure)(void) { return g_lastError.failure; }

VISTREL_OPERATION(void*, GetDefParams)(void)
{
    auto* block = static_cast<std::uint8_t*>(gmem::Alloc(gmem::kFixed | gmem::kZeroInit, picshow::kBlockBytes));
    if (block)
        picshow::FillDefaultBlock(block);
    return block;
}

VISTREL_OPERATION(int, show)(VistrelGlobal image, void* block)
{
    g_lastError = {};
    return picshow::ShowImage(image, static_cast<const std::uint8_t*>(block), g_sink, g_lastError) ? 1 : 0;
}

// One monitor's picture, composed without installing it: the host installs
// the pictures of all monitors at once.
VISTREL_OPERATION(VistrelGlobal, compose)
(VistrelGlobal image, void* block, const VistrelScreen* screen, std::uint32_t* style)
{
    g_lastError = {};
    auto* bytes = static_cast<const std::uint8_t*>(block);
    if (!image || !picshow::IsViewerBlock(bytes)) {
        g_lastError = {VISTREL_SHOW_FAILED_PICTURE, image ? "No viewer block" : "No image"};
        return nullptr;
    }
    picshow::Screen target;
    if (screen) {
        target = {screen->width, screen->height, screen->workRight, screen->workBottom, screen->background & 0xFFFFFFu};
    } else {
        vistrel::wallpaper::ScreenGeometry g = vistrel::wallpaper::QueryScreenGeometry();
        target = {g.width, g.height, g.workArea.right, g.workArea.bottom, g.background};
    }
    vistrel::dib::ScaleHooks hooks;
    hooks.message = g_sink;
    picshow::Composition composition = picshow::Compose(image, picshow::ReadSettings(bytes), target, hooks);
    if (!composition.picture) {
        g_lastError = {VISTREL_SHOW_FAILED_PICTURE, composition.error};
        return nullptr;
    }
    if (style)
        *style = composition.style == picshow::Style::Tile ? VISTREL_STYLE_TILE : VISTREL_STYLE_CENTER;
    return composition.picture;
}

VISTREL_OPERATION(const char*, MenuDefinition)(void) { return picshow::kMenuDefinition; }

VISTREL_OPERATION(void*, RunCommand)(void* block, int command)
{
    auto* bytes = static_cast<std::uint8_t*>(block);
    if (!picshow::IsViewerBlock(bytes))
        return block;
    if (command == 4)
        picshow::RunFreePosDialog(bytes);
    else if (!picshow::SetModeCommand(bytes, command) && g_sink)
        g_sink(picshow::kUndefinedCommand, "Picshow", VISTREL_MB_OK);
    return block;
}

VISTREL_OPERATION(std::uint32_t, MenuFlagsPosition)(void* block)
{
    auto* bytes = static_cast<const std::uint8_t*>(block);
    return picshow::IsViewerBlock(bytes) ? picshow::MenuFlags(bytes) : 1;
}

// The picture of each mode (the block's extender value), 1005 to 1009.
VISTREL_OPERATION(VistrelGlobal, GetIcon)(int resource, int size) { return picshow::ModeIcon(resource, size); }
