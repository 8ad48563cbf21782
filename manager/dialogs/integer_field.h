// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs' integer fields: an edit with an up-down control beside it,
// and the validation that keeps a dialog open with the offending field
// selected ("Please enter an integer.", "Please enter an integer between
// %1 and %2.").
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

class QLineEdit;
class QToolButton;

namespace vistrel::manager {

// The up-down control of an edit: its arrows (and the arrow keys in the
// edit) add or take one from the integer the edit shows. It has no range of
// its own: the limits are the validation's.
class UpDownControl final : public QWidget {
    Q_OBJECT
public:
    UpDownControl(QLineEdit* buddy, int id, QWidget* parent = nullptr);
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_;
};

// The integer an edit holds: blanks around an optional sign and digits, in
// the range of a 32-bit integer; nullopt for anything else.
std::optional<std::int32_t> ParseDialogInteger(const QString& text);

// Checks the field; on failure shows the message, selects the field and
// returns nullopt. `asUnsigned`: the value is compared as an unsigned number
// (so -1 is far above any maximum).
std::optional<std::int32_t> ValidateIntegerField(QLineEdit* edit, std::int64_t minimum, std::int64_t maximum,
                                                 bool asUnsigned = false);

} // namespace vistrel::manager
