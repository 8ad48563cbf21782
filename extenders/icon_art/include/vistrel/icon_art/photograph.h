// SPDX-License-Identifier: GPL-3.0-or-later
// Photoload's own picture: a camera in front of a photograph, so that photo
// rows (JPEG, PNG, WebP, ...) are told apart from bitmap rows at a glance.
// Kept here rather than in Photoload, whose sources are about decoding.
#pragma once

#include "vistrel/icon_art/icon_art.h"

namespace vistrel::icon_art {

extern const Art kPhotograph;

} // namespace vistrel::icon_art
