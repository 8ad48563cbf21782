// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/prompts.h"

#include "app/texts.h"
#include "vistrel/core/list_file.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

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

namespace {

void FitFileDialogColumns(QFileDialog& dialog)
{
    // Qt draws the dialog itself only where the desktop offers none of its
    // own (through the platform theme: GNOME's, KDE's, or the XDG desktop
    // portal's where the session selects it). Its widgets exist only then.
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model)
        return;
    // Size, Type and Date Modified as wide as what they show ("930 bytes",
    // "Windows Bitmap image"), the name taking the rest.
    auto fit = [view] {
        for (int column = 1; column < view->header()->count(); ++column)
            view->resizeColumnToContents(column);
    };
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit, Qt::QueuedConnection);
    QObject::connect(model, &QFileSystemModel::rowsInserted, view, fit, Qt::QueuedConnection);
    dialog.resize(dialog.size().expandedTo(QSize(760, 460)));
    fit();
}

QString RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& proposed)
{
    QFileDialog dialog(parent, QString(), proposed, ListFileFilter());
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave && !proposed.isEmpty())
        dialog.selectFile(proposed);
    FitFileDialogColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtPrompts::AskOpenPath(QWidget* parent) { return RunFileDialog(parent, QFileDialog::AcceptOpen, QString()); }

QString QtPrompts::AskSavePath(QWidget* parent, const QString& proposed)
{
    QString path = RunFileDialog(parent, QFileDialog::AcceptSave, proposed);
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
