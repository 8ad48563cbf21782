// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/extender_info_dialog.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "dialogs/dialog_parts.h"
#include "list/extender_icons.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/gui/fixed_size_dialog.h"
#include "vistrel_extender.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel::manager {

using namespace dialog_parts;

CExtenderInfoDlg::CExtenderInfoDlg(ExtenderHandle extender, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(ids::kDialogExtenderInfo));
    setWindowTitle(Q(texts::kExtenderInfoTitle));
    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(ids::kIconExtender));
    icon->setFixedSize(32, 32);
    QPixmap picture = ExtenderPicture(extender, VISTREL_ICON_OWN, 32);
    if (!picture.isNull())
        icon->setPixmap(picture);
    auto line = [this](int id, const char* text) {
        auto* edit = new QLineEdit(Q(text), this);
        edit->setObjectName(QString::number(id));
        edit->setReadOnly(true);
        return edit;
    };
    auto* description = new QPlainTextEdit(Lines(Q(ext::Description(extender))), this);
    description->setObjectName(QString::number(ids::kEditDescription));
    description->setReadOnly(true);

    auto* names = new QVBoxLayout;
    names->addWidget(line(ids::kEditShortName, ext::ShortName(extender)));
    names->addWidget(line(ids::kEditVersion, ext::Version(extender)));
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(names, 1);
    auto* ok = new QPushButton(Q(texts::kAmpOkButton), this);
    ok->setObjectName(QString::number(ids::kIdOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(description, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    gui::MakeFixedSizeDialog(this, QSize(420, 240));
}

} // namespace vistrel::manager
