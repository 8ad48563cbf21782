// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * What the "Free Pos..." dialog edits, as plain fields: Picshow reads them
 * from the viewer block, its dialog companion lets the user change them, and
 * only OK writes them back. Shared by the extender and the companion, so
 * plain C.
 */
#ifndef PICSHOW_FREE_POS_FIELDS_H
#define PICSHOW_FREE_POS_FIELDS_H

#include <stdint.h>

typedef struct PicshowFreePosFields {
    int32_t x, y, lx, ly;        /* the free rectangle, in work-area pixels */
    int32_t variant;             /* flag bits 0-3: 0 rectangle, 1 centred with border, 2 tiled with count */
    int32_t tiled;               /* flag bit 4 (the hidden "Tiled" box) */
    int32_t preserveProportions; /* flag bit 5 */
    int32_t border;              /* byte 68: position in the border list */
    int32_t tiles;               /* byte 69: position in the tile list */
    int32_t workRight;           /* the work area the preview shows: (0, 0) to (right, bottom) */
    int32_t workBottom;
} PicshowFreePosFields;

/* The companion's entry: 1 OK (fields changed), 0 Cancel, -1 no dialog can
 * be shown in this process (fields untouched). */
typedef int (*PicshowFreePosDialogFn)(PicshowFreePosFields* fields);
#define PICSHOW_FREE_POS_DIALOG_ENTRY "picshow_FreePosDialog"
#define PICSHOW_DIALOGS_COMPANION "Picshow_Dialogs"

#endif /* PICSHOW_FREE_POS_FIELDS_H */
