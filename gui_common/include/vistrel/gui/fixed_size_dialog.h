// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs of the programs and of the extenders are fixed-size modal
// frames: a caption with a close box and a system menu, no minimise or
// maximise buttons, no resizing. Header-only, so that the extenders' dialog
// companions use the same rule without linking the programs' library.
#pragma once

#include <QLayout>
#include <QSize>
#include <QWidget>

namespace vistrel::gui {

inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                     Qt::MSWindowsFixedSizeDialogHint;

// Call once the dialog's layout is set. Without `size` the dialog keeps the
// size its layout asks for (and follows it when its texts change); with one
// it is that size, or larger where the layout needs more.
inline void MakeFixedSizeDialog(QWidget* dialog, QSize size = {})
{
    dialog->setWindowFlags(kFixedDialogFlags);
    if (size.isValid()) {
        dialog->setFixedSize(size.expandedTo(dialog->minimumSizeHint()));
    } else if (QLayout* layout = dialog->layout()) {
        layout->setSizeConstraint(QLayout::SetFixedSize);
    } else {
        dialog->setFixedSize(dialog->sizeHint());
    }
}

} // namespace vistrel::gui
