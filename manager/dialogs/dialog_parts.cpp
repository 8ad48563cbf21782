// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialog_parts.h"

#include "app/resource_ids.h"
#include "app/texts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace vistrel::manager::dialog_parts {

QLineEdit* NumberEdit(int id, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setMaximumWidth(60);
    return edit;
}

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(Q(texts::kOkButton), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(ids::kIdOk));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Q(texts::kCancelButton), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::number(ids::kIdCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace vistrel::manager::dialog_parts
