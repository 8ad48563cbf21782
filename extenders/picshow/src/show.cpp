// SPDX-License-Identifier: GPL-3.0-or-later
#include "show.h"

#include "compose.h"
#include "viewer_block.h"

#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"
#include "vistrel/wallpaper/installer.h"
#include "vistrel/wallpaper/screen.h"
#include "vistrel/wallpaper/wallpaper_file.h"

namespace picshow {

using namespace vistrel;

namespace {

// Uncompressed 24-bit pixels, as a display takes them.
bool IsPlain24(gmem::Handle picture)
{
    dib::LockedBlock block(picture);
    dib::Layout layout;
    return block && DescribeDIB(block.bytes(), block.size(), layout) && layout.header.biBitCount == 24 &&
           layout.header.biCompression == dib::kRgb;
}

} // namespace

bool ShowImage(gmem::Handle image, const std::uint8_t* block, VistrelMessageFn sink, ShowError& failed)
{
    // What the desktop or the wallpaper file refused, another picture would
    // not mend; what the picture itself caused, another picture may.
    std::string& error = failed.text;
    failed.failure = VISTREL_SHOW_FAILED_INSTALL;
    if (!image || !IsViewerBlock(block)) {
        error = image ? "No viewer block" : "No image";
        failed.failure = VISTREL_SHOW_FAILED_PICTURE;
        return false;
    }
    // Without a desktop to hand the picture to, nothing is composed or written.
    wallpaper::BackendChoice choice = wallpaper::ChooseBackend();
    std::unique_ptr<wallpaper::WallpaperInstaller> installer =
        wallpaper::CreateInstaller(choice.backend, choice.commandTemplate);
    if (!installer) {
        error = choice.backend == wallpaper::Backend::None
                    ? choice.error
                    : "The wallpaper backend \"" + std::string(wallpaper::BackendName(choice.backend)) +
                          "\" is not available in this build";
        return false;
    }

    std::optional<std::string> path = wallpaper::WallpaperFilePath(error);
    if (!path)
        return false;

    wallpaper::ScreenGeometry geometry = wallpaper::QueryScreenGeometry();
    Screen screen{geometry.width, geometry.height, geometry.workArea.right, geometry.workArea.bottom,
                  geometry.background};
    dib::ScaleHooks hooks;
    hooks.message = sink;
    Composition composition = Compose(image, ReadSettings(block), screen, hooks);
    if (!composition.picture) {
        error = composition.error;
        failed.failure = VISTREL_SHOW_FAILED_PICTURE;
        return false;
    }
    gmem::Owner made(composition.IsNew(image) ? composition.picture : nullptr);

    const wallpaper::PreviousWallpaperFile previous(*path);
    if (!wallpaper::WriteWallpaperFile(*path, composition.picture, error))
        return false;

    installer->SetStyle(composition.style == Style::Center ? wallpaper::Style::Center : wallpaper::Style::Tile);
    installer->SetFile(*path);
    // A desktop we draw ourselves takes the composed pixels as they are,
    // rather than reading back the file just written. The file keeps the
    // reader's picture as read; pixels of any other form (palette, run-length
    // coded, 32 bits) are expanded for the display.
    gmem::Owner expanded(IsPlain24(composition.picture) ? nullptr : dib::ExpandDIBTo24(composition.picture));
    const gmem::Handle shown = expanded ? expanded.get() : composition.picture;
    bool applied = false;
    {
        dib::LockedBlock pixels(shown);
        dib::Layout layout;
        wallpaper::PictureView view;
        if (IsPlain24(shown) && DescribeDIB(pixels.bytes(), gmem::Size(shown), layout)) {
            view = {static_cast<int>(layout.width), static_cast<int>(layout.height), pixels.bytes() + layout.bitsOffset,
                    layout.stride * layout.height};
            installer->SetPicture(&view);
        }
        applied = installer->Apply(error);
        installer->SetPicture(nullptr);
    } // unlocked before the image may be freed below
    if (!applied) {
        // The desktop still shows the previous picture: so does the file.
        previous.Restore();
        return false;
    }
    gmem::Free(image);
    failed.failure = 0;
    return true;
}

} // namespace picshow
