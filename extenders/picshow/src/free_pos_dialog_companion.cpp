// SPDX-License-Identifier: GPL-3.0-or-later
// With the GUI, the "Free Pos..." dialog lives in the companion
// Picshow_Dialogs; this side reads the block's fields for it and writes them
// back on OK. Where no dialog can be shown (a program without windows, such
// as vistrelctl) the block stays as it is.
#include "free_pos_dialog.h"
#include "free_pos_edit.h"

#include "vistrel/dialog_companion/companion.h"
#include "vistrel/wallpaper/screen.h"

namespace picshow {

namespace {

// Any address inside this library, for finding the library's own place.
const char kAnchor = 0;

} // namespace

bool RunFreePosDialog(std::uint8_t* block)
{
    auto entry = reinterpret_cast<PicshowFreePosDialogFn>(
        vistrel::companion::FindDialogEntry(&kAnchor, PICSHOW_DIALOGS_COMPANION, PICSHOW_FREE_POS_DIALOG_ENTRY));
    if (!entry)
        return false;
    PicshowFreePosFields fields = LoadFreePosFields(block);
    vistrel::wallpaper::ScreenGeometry screen = vistrel::wallpaper::QueryScreenGeometry();
    fields.workRight = screen.workArea.right;
    fields.workBottom = screen.workArea.bottom;
    if (entry(&fields) != vistrel::companion::kAccepted)
        return false;
    StoreFreePosFields(block, fields);
    return true;
}

} // namespace picshow
