// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/set_priority_dialog.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "dialogs/dialog_parts.h"
#include "dialogs/integer_field.h"
#include "vistrel/gui/fixed_size_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vistrel::manager {

using namespace dialog_parts;

CSetPriorityDlg::CSetPriorityDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(ids::kDialogSetPriority));
    setWindowTitle(Q(texts::kSetPriorityTitle));
    edit_ = NumberEdit(ids::kEditPriority, this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Q(texts::kSetPriorityLabel), this));
    row->addWidget(edit_);
    row->addWidget(new UpDownControl(edit_, ids::kSpinPriority, this));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(OkCancel(this));
    gui::MakeFixedSizeDialog(this);
}

int CSetPriorityDlg::exec()
{
    edit_->setText(QString::number(priority));
    edit_->selectAll();
    return QDialog::exec();
}

void CSetPriorityDlg::accept()
{
    auto value = ValidateIntegerField(edit_, 1, 100);
    if (!value)
        return;
    priority = *value;
    QDialog::accept();
}

} // namespace vistrel::manager
