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

/* Scheduler extenders: */
typedef int (*VistrelDaemonFunctionFn)(void* block);
typedef void* (*VistrelSetupFn)(void* block);
typedef char* (*VistrelDescriptionFn)(void* block); /* new fixed text, caller frees */

#endif /* VISTREL_EXTENDER_H */
