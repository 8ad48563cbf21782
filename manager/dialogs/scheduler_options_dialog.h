// SPDX-License-Identifier: GPL-3.0-or-later
// Scheduler Options (135): the scheduler's settings, as the list manager
// edits them.
#pragma once

#include "vistrel/wallpaper/monitors.h"

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace vistrel::manager {

// Dialog 135: how often the scheduler checks for a changed list and saves
// it, whether it is active, and what the monitors show (the wallpaper
// settings' "Monitors"). The numbers start at 0, the monitors at "same".
class CSchedulerOptionsDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CSchedulerOptionsDlg(QWidget* parent = nullptr);

    std::uint32_t checkMinutes = 0;
    std::uint32_t saveMinutes = 0;
    std::uint32_t active = 0;
    wallpaper::MonitorChoice monitors = wallpaper::MonitorChoice::Same;

    int exec() override;

protected:
    void accept() override;

private:
    QLineEdit* check_;
    QLineEdit* save_;
    QCheckBox* active_;
    std::array<QRadioButton*, 3> monitors_{}; // same, each, span
};

// Command 32014: the dialog on the stored settings. Whether closed by OK or
// by Cancel, the values it holds are written back (after Cancel those it
// was opened with); a missing key is created with 2, 60 and 1. The monitors'
// choice is written only when OK changed it.
void RunSchedulerOptions(QWidget* parent);

} // namespace vistrel::manager
