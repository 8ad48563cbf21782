// SPDX-License-Identifier: GPL-3.0-or-later
// What the list manager's dialogs are built of: the texts of the table as
// QStrings, the number edits and the OK / Cancel row, each carrying its
// control id as its objectName.
#pragma once

#include <QString>
#include <string_view>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QWidget;

namespace vistrel::manager::dialog_parts {

inline QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

inline QString Q(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// Texts of the original resources keep their CR LF line ends; the widgets want LF.
inline QString Lines(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

QLineEdit* NumberEdit(int id, QWidget* parent);

QDialogButtonBox* OkCancel(QDialog* dialog);

} // namespace vistrel::manager::dialog_parts
