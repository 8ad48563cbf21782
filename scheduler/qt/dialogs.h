// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler's two small dialogs: the About box (100) and the
// placeholder behind "More Options..." (130).
#pragma once

class QWidget;

namespace vistrel::scheduler {

void RunAboutDialog(QWidget* parent);
void RunPlaceholderDialog(QWidget* parent);

} // namespace vistrel::scheduler
