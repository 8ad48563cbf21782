// SPDX-License-Identifier: GPL-3.0-or-later
// Set Priority (134): one priority for the selected entries.
#pragma once

#include <QDialog>

class QLineEdit;

namespace vistrel::manager {

// Dialog 134: a priority from 1 to 100. It starts at 0.
class CSetPriorityDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CSetPriorityDlg(QWidget* parent = nullptr);

    int priority = 0;

    int exec() override;

protected:
    void accept() override;

private:
    QLineEdit* edit_;
};

} // namespace vistrel::manager
