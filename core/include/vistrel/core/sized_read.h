// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a picture for the viewer that will show it: at the size the
// viewer's mode needs, when both extenders take part in shrink-on-load
// (readAtLeast and NeededSize, see vistrel_extender.h), else at full size.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

#include <span>

namespace vistrel {

// Whether the pair can shrink on load: the reader exports readAtLeast and
// the viewer NeededSize.
bool CanShrinkOnLoad(ExtenderHandle reader, ExtenderHandle viewer);

// The reader's image of `path` for `viewerBlock`'s mode on `screen` (null:
// the screen the viewer shows on), owned by the caller; null when it could
// not be read. Through readAtLeast with a callback that asks the viewer's
// NeededSize when CanShrinkOnLoad, through read otherwise.
gmem::Handle ReadForViewer(ExtenderHandle reader, void* readerBlock, ExtenderHandle viewer, void* viewerBlock,
                           const char* path, const VistrelScreen* screen = nullptr);

// The same for a picture composed for several screens (the monitors): read
// once, at the largest size any of them needs. A screen on which the mode
// shows the picture as it is needs it whole. The background is the first
// screen's.
gmem::Handle ReadForScreens(ExtenderHandle reader, void* readerBlock, ExtenderHandle viewer, void* viewerBlock,
                            const char* path, std::span<const VistrelScreen> screens);

} // namespace vistrel
