// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs.h"

#include "artwork.h"
#include "extender_icons.h"
#include "integer_field.h"
#include "resource_ids.h"
#include "texts.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/registry_key.h"
#include "vistrel_extender.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Q(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

// Texts of the original resources keep their CR LF line ends; the widgets want LF.
QString Lines(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

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

} // namespace

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

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group);
    layout->addWidget(OkCancel(this));
}

int CSchedulerOptionsDlg::exec()
{
    check_->setText(QString::number(checkMinutes));
    save_->setText(QString::number(saveMinutes));
    active_->setChecked(active != 0);
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
    dialog.exec();
    key.WriteNumber("ChkNewFileInterval", dialog.checkMinutes);
    key.WriteNumber("SaveFileInterval", dialog.saveMinutes);
    key.WriteNumber("Active", dialog.active);
    key.Close();
}

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
    resize(420, 240);
}

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
    resize(460, 300);
}

} // namespace vistrel::manager
