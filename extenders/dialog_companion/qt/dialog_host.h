// SPDX-License-Identifier: GPL-3.0-or-later
// What every dialog companion does around its dialogs: refuse cleanly where
// no dialog can be shown, find an owner window, name the controls by id, and
// show its messages through the program's message sink.
#pragma once

#include "vistrel_extender.h"

#include <QString>

class QWidget;

namespace vistrel::companion {

// True only in a process with a QApplication, on the application's thread:
// anywhere else a widget would abort the process.
bool CanShowDialogs();

// The program's active window, which the dialog stays above; null for none.
QWidget* DialogOwner();

// Names a control by its numeric id, so that tests and scripts find it.
void SetControlId(QWidget* control, int id);

// Shows `text` through the program's sink, or in a message box of its own
// when the program gave none.
void ShowMessage(VistrelMessageFn sink, QWidget* parent, const QString& text, const QString& caption, unsigned style);

} // namespace vistrel::companion
