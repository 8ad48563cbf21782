// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's dialogs: Scheduler Options (135), Set Priority (134),
// Extender Info (132) and the About box (100).
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace vistrel::manager {

// Dialog 135: how often the scheduler checks for a changed list and saves
// it, and whether it is active. The values start at 0.
class CSchedulerOptionsDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CSchedulerOptionsDlg(QWidget* parent = nullptr);

    std::uint32_t checkMinutes = 0;
    std::uint32_t saveMinutes = 0;
    std::uint32_t active = 0;

    int exec() override;

protected:
    void accept() override;

private:
    QLineEdit* check_;
    QLineEdit* save_;
    QCheckBox* active_;
};

// Command 32014: the dialog on the stored settings. Whether closed by OK or
// by Cancel, the values it holds are written back (after Cancel those it
// was opened with); a missing key is created with 2, 60 and 1.
void RunSchedulerOptions(QWidget* parent);

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

// Dialog 132: what an extender says about itself.
class CExtenderInfoDlg final : public QDialog {
    Q_OBJECT
public:
    CExtenderInfoDlg(ExtenderHandle extender, QWidget* parent = nullptr);
};

// Dialog 100.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    // `programText`: the list manager's name, version and build date;
    // `partsText`: one line per program, then one per extender.
    CAboutDlg(const QString& programText, const QString& partsText, std::function<void()> openHomePage,
              QWidget* parent = nullptr);
};

} // namespace vistrel::manager
