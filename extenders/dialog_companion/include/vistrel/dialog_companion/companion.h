// SPDX-License-Identifier: GPL-3.0-or-later
// An extender's dialogs live in a companion library of their own, so that
// the extender itself needs no GUI toolkit: vistrelctl and the scheduler load
// the extenders without paying for Qt, and only a program that shows windows
// ever loads a companion.
//
// The companions sit in "Extender_Dialogs" beside the four extender folders
// (the loader would take anything inside those for an extender). An extender
// finds its companion from its own place on disk, and loads it only when the
// process already runs the companion's Qt: a process without it has no
// application window to show a dialog in, and loading a second toolkit into
// it would be far worse than having no dialog.
#pragma once

namespace vistrel::companion {

inline constexpr const char* kFolder = "Extender_Dialogs";

// The results of a companion's dialog entry.
enum DialogResult : int { kCannotShow = -1, kCancelled = 0, kAccepted = 1 };

// The entry `symbol` of companion `name` (file name without ending, e.g.
// "Picshow_Dialogs") for the extender library that contains `anchor` (the
// address of any function of the extender). Null when Qt is not running in
// this process, the companion is missing or cannot be loaded, or it lacks the
// entry. A loaded companion stays loaded for the life of the process.
void* FindDialogEntry(const void* anchor, const char* name, const char* symbol);

} // namespace vistrel::companion
