// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/prompts.h"

#include "app/texts.h"
#include "vistrel/core/list_file.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

QString ListFileFilter()
{
    return Q(texts::kFilterName) + QStringLiteral(" (*") + Q(kListFileExtension) + QStringLiteral(")");
}

SaveAnswer QtPrompts::AskToSave(QWidget* parent, const QString& title)
{
    auto answer = QMessageBox::warning(parent, Q(texts::kProgramName), Q(texts::kAskToSave).arg(title),
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return answer == QMessageBox::Yes  ? SaveAnswer::Save
           : answer == QMessageBox::No ? SaveAnswer::Discard
                                       : SaveAnswer::Cancel;
}

QString QtPrompts::AskOpenPath(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), ListFileFilter());
}

QString QtPrompts::AskSavePath(QWidget* parent, const QString& proposed)
{
    QString path = QFileDialog::getSaveFileName(parent, QString(), proposed, ListFileFilter());
    // The dialog of a desktop without its own adds no ending by itself.
    if (!path.isEmpty() && !path.endsWith(Q(kListFileExtension), Qt::CaseInsensitive) &&
        !QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += Q(kListFileExtension);
    return path;
}

DiskAnswer QtPrompts::AskDiskChanged(QWidget* parent, const QString& path, bool saving)
{
    QMessageBox box(QMessageBox::Warning, Q(texts::kProgramName),
                    Q(saving ? texts::kDiskChangedOnSave : texts::kDiskChangedWhileEditing).arg(path),
                    QMessageBox::NoButton, parent);
    QPushButton* mine =
        saving ? box.addButton(QMessageBox::Save) : box.addButton(Q(texts::kKeepButton), QMessageBox::AcceptRole);
    QPushButton* reload = box.addButton(Q(texts::kReloadButton), QMessageBox::DestructiveRole);
    if (saving)
        box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(mine);
    box.exec();
    if (box.clickedButton() == mine)
        return DiskAnswer::KeepMine;
    if (box.clickedButton() == reload)
        return DiskAnswer::Reload;
    return saving ? DiskAnswer::Cancel : DiskAnswer::KeepMine;
}

} // namespace vistrel::manager
