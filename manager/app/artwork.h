// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's pictures, drawn at start-up: the ten toolbar images
// (16 x 15 each), the program's icon and icon 138 of Scheduler Options.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vistrel::manager {

inline constexpr int kToolbarImageWidth = 16;
inline constexpr int kToolbarImageHeight = 15;
inline constexpr int kToolbarImageCount = 10;

// The toolbar bitmap's images, left to right: New, Open, Save, Cut, Copy,
// Paste, Insert, Random, Scheduler Options, About. Cut, Copy and Paste stay
// in the strip for the framework's edit commands, which no button uses.
QPixmap ToolbarImage(int index);
// The image of a toolbar command, or a null pixmap.
QPixmap ToolbarImageFor(int commandId);

// Icon 128: the installed "vistrel" icon of the desktop's theme when there
// is one, else a drawn picture of a wallpaper changing on a monitor.
QIcon ProgramIcon();

// Icon 138: a clock.
QPixmap SchedulerOptionsIcon();

} // namespace vistrel::manager
