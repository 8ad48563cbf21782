// SPDX-License-Identifier: GPL-3.0-or-later
// HEVC in HEIF pictures decoded by libde265 on every core. libheif's own
// libde265 plugin starts libde265 with one worker thread, and libheif (1.15)
// offers no setting for it; this plugin is the same decoder with a worker
// per core, registered for one libheif context.
#pragma once

#include <libheif/heif.h>

namespace vistrel::photoload {

// Registers the plugin with `ctx`, where it takes precedence over libheif's.
// False when libheif refused it (its own plugin then decodes, as before).
bool UseHevcOnEveryCore(heif_context* ctx);

} // namespace vistrel::photoload
