// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/scheduler_options_dialog.h"

#include "app/artwork.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "dialogs/dialog_parts.h"
#include "dialogs/integer_field.h"
#include "vistrel/core/registry_key.h"
#include "vistrel/gui/fixed_size_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vistrel::manager {

using namespace dialog_parts;

CSchedulerOptionsDlg::CSchedulerOptionsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(ids::kDialogSchedulerOptions));
    setWindowTitle(Q(texts::kSchedulerOptionsTitle));
    check_ = NumberEdit(ids::kEditCheckInterval, this);
    save_ = NumberEdit(ids::kEditSaveInterval, this);
    active_ = new QCheckBox(Q(texts::kActive), this);
    active_->setObjectName(QString::number(ids::kCheckActive));

    auto* fields = new QGridLayout;
    auto addRow = [&](int row, std::string_view label, QLineEdit* edit, int spinId) {
        fields->addWidget(new QLabel(Q(label), this), row, 0);
        fields->addWidget(edit, row, 1);
        fields->addWidget(new UpDownControl(edit, spinId, this), row, 2);
        fields->addWidget(new QLabel(Q(texts::kMinutes), this), row, 3);
    };
    addRow(0, texts::kCheckEvery, check_, ids::kSpinCheckInterval);
    addRow(1, texts::kSaveEvery, save_, ids::kSpinSaveInterval);
    fields->setColumnStretch(4, 1);
    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(ids::kIconSchedulerOptions));
    icon->setPixmap(SchedulerOptionsIcon());
    fields->addWidget(icon, 0, 5, 2, 1, Qt::AlignTop | Qt::AlignRight);

    auto* group = new QGroupBox(Q(texts::kSchedulerGroup), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(active_);
    auto* note = new QLabel(Q(texts::kSchedulerNote), group);
    note->setWordWrap(true);
    groupLayout->addWidget(note);

    // Where several monitors are: the entry fitted to each, an entry for each,
    // or one picture across them all.
    auto* monitorGroup = new QGroupBox(Q(texts::kMonitorsGroup), this);
    monitorGroup->setObjectName(QString::number(ids::kGroupMonitors));
    auto* monitorsLayout = new QVBoxLayout(monitorGroup);
    const std::array<std::pair<int, std::string_view>, 3> choices{{{ids::kRadioMonitorsSame, texts::kMonitorsSame},
                                                                   {ids::kRadioMonitorsEach, texts::kMonitorsEach},
                                                                   {ids::kRadioMonitorsSpan, texts::kMonitorsSpan}}};
    for (std::size_t i = 0; i < choices.size(); ++i) {
        monitors_[i] = new QRadioButton(Q(choices[i].second), monitorGroup);
        monitors_[i]->setObjectName(QString::number(choices[i].first));
        monitorsLayout->addWidget(monitors_[i]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group);
    layout->addWidget(monitorGroup);
    layout->addWidget(OkCancel(this));
    gui::MakeFixedSizeDialog(this);
}

int CSchedulerOptionsDlg::exec()
{
    check_->setText(QString::number(checkMinutes));
    save_->setText(QString::number(saveMinutes));
    active_->setChecked(active != 0);
    monitors_[static_cast<std::size_t>(monitors)]->setChecked(true);
    return QDialog::exec();
}

void CSchedulerOptionsDlg::accept()
{
    auto check = ValidateIntegerField(check_, 1, 10, true);
    if (!check)
        return;
    auto save = ValidateIntegerField(save_, 10, 120);
    if (!save)
        return;
    checkMinutes = static_cast<std::uint32_t>(*check);
    saveMinutes = static_cast<std::uint32_t>(*save);
    active = active_->isChecked() ? 1 : 0;
    for (std::size_t i = 0; i < monitors_.size(); ++i)
        if (monitors_[i]->isChecked())
            monitors = static_cast<wallpaper::MonitorChoice>(i);
    QDialog::accept();
}

void RunSchedulerOptions(QWidget* parent)
{
    CSchedulerOptionsDlg dialog(parent);
    CRegistryKey key;
    if (key.Open(kSchedulerKey)) {
        key.ReadNumber("ChkNewFileInterval", dialog.checkMinutes);
        key.ReadNumber("SaveFileInterval", dialog.saveMinutes);
        key.ReadNumber("Active", dialog.active);
    } else {
        key.Create(kSchedulerKey);
        dialog.checkMinutes = 2;
        dialog.saveMinutes = 60;
        dialog.active = 1;
    }
    const wallpaper::MonitorChoice stored = wallpaper::ReadMonitorChoice();
    dialog.monitors = stored;
    dialog.exec();
    if (dialog.monitors != stored)
        wallpaper::WriteMonitorChoice(dialog.monitors);
    key.WriteNumber("ChkNewFileInterval", dialog.checkMinutes);
    key.WriteNumber("SaveFileInterval", dialog.saveMinutes);
    key.WriteNumber("Active", dialog.active);
    key.Close();
}

} // namespace vistrel::manager
