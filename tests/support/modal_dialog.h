// SPDX-License-Identifier: GPL-3.0-or-later
// Driving a modal dialog that code under test opens and runs itself (an
// extender's RunCommand or Setup): the test's checks run inside the dialog's
// own event loop.
#pragma once

#include <QString>

#include <functional>

class QDialog;

namespace vistrel::test {

// Calls `open` (which opens a modal dialog and returns once it has closed)
// and, as soon as a modal dialog named `objectName` shows, `drive` on it.
// When `drive` leaves the dialog open (a failed check, say), the dialog is
// rejected so the test goes on. Returns whether the dialog showed at all.
bool WithModalDialog(const QString& objectName, const std::function<void(QDialog&)>& drive,
                     const std::function<void()>& open);

// The dialog's child named by its control id, or null.
template <typename Widget> Widget* Control(QDialog& dialog, int id);

// Clicks the dialog's button (push, radio or check button) with that id.
void Click(QDialog& dialog, int id);

} // namespace vistrel::test

#include <QDialog>

template <typename Widget> Widget* vistrel::test::Control(QDialog& dialog, int id)
{
    return dialog.findChild<Widget*>(QString::number(id));
}
