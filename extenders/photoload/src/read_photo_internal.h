// SPDX-License-Identifier: GPL-3.0-or-later
// What the platform's reading code shares with the rest of the library.
#pragma once

#include <string>

#include "vistrel/photoload/read_photo.h"

namespace vistrel::photoload {

void SetPhotoError(std::string message);

} // namespace vistrel::photoload
