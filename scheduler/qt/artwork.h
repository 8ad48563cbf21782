// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler's pictures, drawn at start-up: the four tray icons by
// resource id and the start-up picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vistrel::scheduler {

// Icons 128 (Active), 131 (Off), 133 (changing) and 134 (loading or saving);
// a null icon for any other id.
QIcon StatusIcon(int iconId);

// Bitmap 132: a landscape in a monitor frame.
QPixmap StartUpPicture();

} // namespace vistrel::scheduler
