// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/about_dialog.h"

#include "app/artwork.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "dialogs/dialog_parts.h"
#include "vistrel/gui/fixed_size_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel::manager {

using namespace dialog_parts;

CAboutDlg::CAboutDlg(const QString& programText, const QString& partsText, std::function<void()> openHomePage,
                     QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QString::number(ids::kDialogAbout));
    setWindowTitle(Q(texts::kAboutTitle));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto field = [this](int id, const QString& text) {
        auto* edit = new QPlainTextEdit(text, this);
        edit->setObjectName(QString::number(id));
        edit->setReadOnly(true);
        return edit;
    };
    QPlainTextEdit* program = field(ids::kAboutProgramText, programText);
    program->setMaximumHeight(program->fontMetrics().lineSpacing() * 5);
    QPlainTextEdit* parts = field(ids::kAboutPartsText, partsText);
    auto* home = new QPushButton(Lines(Q(texts::kAboutHomePageButton)), this);
    home->setObjectName(QString::number(ids::kAboutHomePage));
    connect(home, &QPushButton::clicked, this, [openHomePage = std::move(openHomePage)] {
        if (openHomePage)
            openHomePage();
    });
    auto* ok = new QPushButton(Q(texts::kOkButton), this);
    ok->setObjectName(QString::number(ids::kIdOk));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(ok);
    side->addWidget(home);
    side->addStretch(1);
    auto* fields = new QVBoxLayout;
    fields->addWidget(program);
    fields->addWidget(parts, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(fields, 1);
    layout->addLayout(side);
    gui::MakeFixedSizeDialog(this, QSize(460, 300));
}

} // namespace vistrel::manager
