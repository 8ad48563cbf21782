// SPDX-License-Identifier: GPL-3.0-or-later
// The extender operations, each bound by its exported name at the moment of
// the call. A library without the export makes the call yield null, 0 or false.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/global_memory.h"

#include <cstdint>

namespace vistrel::ext {

// Texts that stay the extender's; null when the export is missing.
const char* ID(ExtenderHandle h);
const char* Version(ExtenderHandle h);
const char* Description(ExtenderHandle h);
const char* ShortName(ExtenderHandle h);
const char* Extensions(ExtenderHandle h);
const char* ReturnType(ExtenderHandle h);
const char* MenuDefinition(ExtenderHandle h);
const char* GetError(ExtenderHandle h);

// A new fixed block the caller owns.
void* GetDefParams(ExtenderHandle h);
// A movable image the caller owns, or null.
gmem::Handle Read(ExtenderHandle h, const char* path, void* block);
void* SetupDialog(ExtenderHandle h, const char* text, void* block);
// True: the viewer released the image.
bool Show(ExtenderHandle h, gmem::Handle image, void* block);
// VISTREL_SHOW_FAILED_... of the last show; 0 when the export is missing.
int ShowFailure(ExtenderHandle h);
void* RunCommand(ExtenderHandle h, void* block, int command);
std::uint32_t MenuFlagsPosition(ExtenderHandle h, void* block);
bool DaemonFunction(ExtenderHandle h, void* block);
void* Setup(ExtenderHandle h, void* block);
// A new fixed text the caller owns, or null.
char* TimeSchedulationDescription(ExtenderHandle h, void* block);

// A new movable 32-bit DIB of the extender's picture `resource`, about
// `size` pixels square, owned by the caller; null when it has none.
gmem::Handle GetIcon(ExtenderHandle h, int resource, int size);

// Looks up any export by operation name (the prefix is added here).
void* Lookup(ExtenderHandle h, const char* operation);

} // namespace vistrel::ext
