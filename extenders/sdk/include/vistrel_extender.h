/* SPDX-License-Identifier: MIT */
/*
 * Copyright (c) 2026 The Vistrel developers
 *
 * This header, the extender contract, is under the MIT licence, unlike the
 * rest of Vistrel (GPL-3.0-or-later), so that an extender may be written under
 * any licence, free or not.
 *
 * Permission is hereby granted, free of charge, to any person obtaining a copy
 * of this software and associated documentation files (the "Software"), to
 * deal in the Software without restriction, including without limitation the
 * rights to use, copy, modify, merge, publish, distribute, sublicense, and/or
 * sell copies of the Software, and to permit persons to whom the Software is
 * furnished to do so, subject to the following conditions:
 *
 * The above copyright notice and this permission notice shall be included in
 * all copies or substantial portions of the Software.
 *
 * THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
 * IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
 * FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
 * AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
 * LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING
 * FROM, OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS
 * IN THE SOFTWARE.
 */
/*
 * The extender contract: the one header an extender needs.
 *
 * An extender is a shared library found in one of the four extender folders
 * next to the programs ("Read_Expander", "Middle_Expander", "View_Expander",
 * "Scheduler_Expander"); its folder is its kind. It exports plain C functions
 * which the programs look up by name at the moment of every call, so an
 * extender may leave out any operation: the call then yields null, 0 or false.
 *
 * Every operation is exported under VISTREL_SYMBOL_PREFIX followed by the
 * operation's name ("vistrel_ID", "vistrel_read", ...). The prefix keeps names
 * like `read` from clashing with the C library inside the extender.
 *
 * Memory that crosses the boundary is global memory (vistrel/platform/
 * global_memory.h): parameter blocks and returned texts are fixed blocks,
 * images are movable blocks. Whoever owns a block frees it; texts returned by
 * ID, version, description, shortname, extensions, returnType and
 * MenuDefinition stay the extender's.
 */
#ifndef VISTREL_EXTENDER_H
#define VISTREL_EXTENDER_H

#include <stdint.h>

#if defined(_WIN32)
#define VISTREL_EXPORT __declspec(dllexport)
#else
#define VISTREL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define VISTREL_EXTERN_C extern "C"
#else
#define VISTREL_EXTERN_C
#endif

#define VISTREL_SYMBOL_PREFIX "vistrel_"

/* Declares or defines an exported operation: VISTREL_OPERATION(const char*, ID)(void) */
#define VISTREL_OPERATION(result, name) VISTREL_EXTERN_C VISTREL_EXPORT result vistrel_##name

/* A global memory handle (a fixed block's address, or a movable block's handle). */
typedef void* VistrelGlobal;

/*
 * Parameter block header. Every block starts with its own total size, then
 * the extender value (low 16 bits: icon resource number), then the 30-byte
 * NUL-padded ID of the extender that made it, two bytes of padding, and the
 * extender's own fields from offset 40 on. Little-endian 32-bit integers.
 */
#define VISTREL_BLOCK_SIZE_OFFSET 0
#define VISTREL_BLOCK_VALUE_OFFSET 4
#define VISTREL_BLOCK_ID_OFFSET 8
#define VISTREL_BLOCK_ID_BYTES 30
#define VISTREL_BLOCK_HEADER_BYTES 40
#define VISTREL_ID_MAX_CHARS 29

/* Message box styles, with the values of the original platform. */
#define VISTREL_MB_OK 0x00u
#define VISTREL_MB_YESNO 0x04u
#define VISTREL_MB_ICONHAND 0x10u
#define VISTREL_MB_ICONQUESTION 0x20u
#define VISTREL_MB_ICONEXCLAMATION 0x30u
#define VISTREL_MB_ICONASTERISK 0x40u
#define VISTREL_IDOK 1
#define VISTREL_IDYES 6
#define VISTREL_IDNO 7

/*
 * The host's message sink. The loader hands it to every extender that exports
 * SetMessageSink, so that an extender's message boxes reach the user the same
 * way the program's own do (a dialog, a line on stderr, a test's recorder).
 * Returns the button pressed (VISTREL_IDOK, ...).
 */
typedef int (*VistrelMessageFn)(const char* text, const char* caption, unsigned style);

/* Operations of every kind. */
typedef const char* (*VistrelTextFn)(void);   /* ID, version, description, shortname */
typedef void* (*VistrelGetDefParamsFn)(void); /* new fixed block, caller frees */
typedef void (*VistrelSetMessageSinkFn)(VistrelMessageFn sink);

/*
 * Any kind, optional: GetIcon hands out one of the extender's small pictures
 * by resource number. The list manager asks for the low 16 bits of a block's
 * extender value (one icon per block of an entry's chain) and for 100, the
 * extender's own icon. `size` is the edge in pixels the caller draws it at
 * (16 in the list, 32 in the info dialog); the extender returns its closest
 * square picture, which the caller scales when it differs.
 *
 * The result is a new movable block that the caller frees: a DIB with a
 * 40-byte header, 32 bits per pixel, no colour table, bottom-up rows of
 * blue, green, red, alpha (straight, not premultiplied). Null means the
 * extender has no picture of that number; a missing export means the same.
 */
#define VISTREL_ICON_OWN 100
typedef VistrelGlobal (*VistrelGetIconFn)(int resource, int size);

/* Reader extenders: extensions, returnType (VistrelTextFn) and: */
typedef VistrelGlobal (*VistrelReadFn)(const char* path, void* block); /* movable image or null */
typedef const char* (*VistrelGetErrorFn)(void);
typedef void* (*VistrelSetupDialogFn)(const char* text, void* block);

/* Viewer extenders: returnType, MenuDefinition (VistrelTextFn) and: */
typedef int (*VistrelShowFn)(VistrelGlobal image, void* block); /* nonzero: image released */
typedef void* (*VistrelRunCommandFn)(void* block, int command);
typedef uint32_t (*VistrelMenuFlagsPositionFn)(void* block);

/*
 * Viewer, optional: whose fault the last failed show was. A host tries the
 * next entry of its list after a picture that failed, and uses the failed
 * entry up; when the desktop failed, every other entry would fail the same
 * way, so it stops at once and leaves the entry's counters alone.
 *   VISTREL_SHOW_FAILED_PICTURE  the picture could not be composed
 *   VISTREL_SHOW_FAILED_INSTALL  the picture could not be installed: the
 *                                desktop refused it, its tool is missing or
 *                                not running, no desktop was found, or the
 *                                wallpaper file could not be written
 * 0 after a show that succeeded. Without the export every failure counts as
 * the picture's.
 */
#define VISTREL_SHOW_FAILED_PICTURE 1
#define VISTREL_SHOW_FAILED_INSTALL 2
typedef int (*VistrelShowFailureFn)(void);

/*
 * Reader and viewer, optional: shrink-on-load.
 *
 * A 24-megapixel photograph shown on a 1920 x 1080 screen need not be
 * decoded at full size: a JPEG decoder makes 1/2, 1/4 or 1/8 of the size for
 * a fraction of the time and memory, and other decoders scale as they go.
 * Two exports let a reader do that for the size the viewer's mode needs,
 * without either knowing the other's business. A host uses them only when
 * the entry's reader has readAtLeast and its viewer has NeededSize;
 * otherwise it calls read, and the picture is read at full size as always.
 *
 * Viewer: NeededSize(block, screen, pictureWidth, pictureHeight, need)
 *   Fills `need` for a picture of that size shown with this block on
 *   `screen` (null: the screen show would use): VISTREL_NEED_SCALED with the
 *   size the block's mode scales such a picture to (the fit and the
 *   proportioned fits, a scaled free rectangle), or no such flag when the mode
 *   shows the picture as it is (tile, centre, a free rectangle that is not
 *   scaled, a fit too large or too small to scale). VISTREL_NEED_BACKGROUND
 *   with the colour that will lie around the picture, when the viewer knows
 *   it. The size is the size show will scale the picture to, and show
 *   computes it again from the picture it gets, so a reader that delivers a
 *   little more than asked changes nothing but the decoder's share of the
 *   scaling.
 *
 * Reader: readAtLeast(path, block, need, context)
 *   Reads like read. Once it knows the picture's size (from the file's
 *   header, as the picture is shown: after its orientation turned it), it may
 *   call need(context, width, height, &n), with n zeroed. It may ask again
 *   for other sizes (the size its decoder makes, the size it means to
 *   deliver); each answer is for a picture of the size asked about. When n has
 *   VISTREL_NEED_SCALED, it may return a smaller picture: the smallest size
 *   its decoder makes cheaply that is still at least n.width x n.height in
 *   both directions, or the full picture when there is none. Transparent
 *   parts are laid over n.background when VISTREL_NEED_BACKGROUND is set,
 *   else over black.
 *   A null `need` makes it read.
 *
 * Why the reader asks, rather than being told a size up front: the size a
 * proportioned fit needs depends on the picture's proportions, which only the
 * reader learns, from the header, in the middle of its read. A bound given
 * beforehand would have to be the whole screen in both directions: a
 * 12000 x 2000 panorama fitted to 1920 x 1080 needs 1920 x 320, so 1/4 of its
 * size (3000 x 500) will do, while "at least 1920 x 1080" forces the full
 * 12000 x 2000, sixteen times the pixels. Handing the reader the box and a
 * proportional flag instead would put a copy of the viewer's arithmetic
 * (rounding, borders, tile counts, the limits beyond which it does not scale,
 * free rectangles) into every reader, to drift apart from the viewer's. The
 * callback keeps that arithmetic in the viewer alone and costs one call. The
 * host makes the callback from the viewer's NeededSize and its block.
 */
#define VISTREL_NEED_SCALED 0x1u
#define VISTREL_NEED_BACKGROUND 0x2u

typedef struct VistrelScreen {
    int32_t width, height;         /* the screen, in pixels */
    int32_t workRight, workBottom; /* the work area's right and bottom edges */
    uint32_t background;           /* the desktop colour, 0x00RRGGBB */
} VistrelScreen;

typedef struct VistrelNeed {
    uint32_t flags;      /* VISTREL_NEED_... */
    uint32_t width;      /* with VISTREL_NEED_SCALED: the size the picture */
    uint32_t height;     /*   will be scaled to */
    uint32_t background; /* with VISTREL_NEED_BACKGROUND: 0x00RRGGBB */
} VistrelNeed;

typedef void (*VistrelNeededSizeFn)(void* block, const VistrelScreen* screen, uint32_t pictureWidth,
                                    uint32_t pictureHeight, VistrelNeed* need);
typedef void (*VistrelNeedFn)(void* context, uint32_t pictureWidth, uint32_t pictureHeight, VistrelNeed* need);
typedef VistrelGlobal (*VistrelReadAtLeastFn)(const char* path, void* block, VistrelNeedFn need, void* context);

/*
 * Viewer, optional: composing per monitor.
 *
 * A desktop of several monitors of different sizes needs a picture composed
 * for each of them: a picture fitted to a 1920 x 1080 monitor is cut or lost
 * in a black field on a 1280 x 720 one. A viewer that exports compose lets
 * the host do that: the host reads the picture once (at the largest size any
 * monitor needs, when the viewer also has NeededSize: it asks NeededSize with
 * each monitor's screen), has the viewer compose it for each monitor, then
 * writes the wallpaper files and hands them to the desktop itself, each
 * monitor its own picture. For a picture spanned across all monitors the host
 * composes once, for the rectangle that holds them all, and each monitor
 * shows its part. With one monitor the host composes for it and installs the
 * picture exactly as show would.
 *
 * Viewer: compose(image, block, screen, style)
 *   Composes `image` by the block's settings for `screen`: a monitor's size,
 *   its work area (the Free Pos canvas covers the work area's right x bottom
 *   pixels, and free positions are relative to the monitor's top-left corner)
 *   and the colour that lies around the picture. Null `screen`: the primary
 *   monitor. Returns the picture as a movable DIB the caller owns, or `image`
 *   itself when the mode shows it unchanged (the caller tells the two apart by
 *   the handle); null on failure, with the reason from getError. The image
 *   stays the caller's and unchanged in every case, so the host may compose it
 *   again for the next monitor. `*style` (when `style` is not null) receives
 *   how the monitor shows the picture: VISTREL_STYLE_CENTER, in the middle on
 *   the background colour, or VISTREL_STYLE_TILE, repeated from the monitor's
 *   top-left corner.
 *
 * A viewer without compose is shown through show, as always: it composes for
 * the primary monitor and installs that one picture, which the desktop shows
 * in the middle of every monitor. The host offers the per-monitor choices
 * (each monitor a picture of its own, one picture across all) only with
 * viewers that compose.
 */
#define VISTREL_STYLE_CENTER 0u
#define VISTREL_STYLE_TILE 1u

typedef VistrelGlobal (*VistrelComposeFn)(VistrelGlobal image, void* block, const VistrelScreen* screen,
                                          uint32_t* style);

/* Scheduler extenders: */
typedef int (*VistrelDaemonFunctionFn)(void* block);
typedef void* (*VistrelSetupFn)(void* block);
typedef char* (*VistrelDescriptionFn)(void* block); /* new fixed text, caller frees */

#endif /* VISTREL_EXTENDER_H */
