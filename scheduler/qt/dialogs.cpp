// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs.h"

#include "artwork.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel::scheduler {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

void RunAboutDialog(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QString::number(ids::kDialogAbout));
    dialog.setWindowTitle(Q(texts::kAboutTitle));
    auto* icon = new QLabel;
    icon->setPixmap(StatusIcon(ids::kIconActive).pixmap(32, 32));
    auto* text = new QLabel(Q(texts::kProgramName) + "\n" + Q(texts::kPictureCaption));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(ids::kCmdClose));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    dialog.exec();
}

void RunPlaceholderDialog(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QString::number(ids::kDialogPlaceholder));
    dialog.setWindowTitle(Q(texts::kPlaceholderTitle));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(ids::kCmdClose));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QString::number(ids::kCmdCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addStretch(1);
    layout->addWidget(buttons);
    dialog.resize(280, 120);
    dialog.exec();
}

} // namespace vistrel::scheduler
