// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/prompts.h"

#include "app/desktop_file_dialog.h"
#include "app/texts.h"
#include "vistrel/core/list_file.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <optional>

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

// Qt's own dialog, where it draws one: its Size, Type and Date Modified
// columns as wide as what they show ("930 bytes", "Windows Bitmap image"),
// the name taking the rest. Qt makes the dialog's widgets only once it knows
// that no dialog of the desktop shows, at the latest when it shows its own.
class OwnDialogColumns final : public QObject {
public:
    explicit OwnDialogColumns(QFileDialog& dialog) : QObject(&dialog), dialog_(dialog)
    {
        dialog.installEventFilter(this);
        Fit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &dialog_ && event->type() == QEvent::Show)
            Fit();
        return false;
    }

private:
    void Fit()
    {
        auto* view = dialog_.findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* model = dialog_.findChild<QFileSystemModel*>();
        if (!view || !model || fitting_)
            return;
        fitting_ = true;
        auto fit = [view] {
            for (int column = 1; column < view->header()->count(); ++column)
                view->resizeColumnToContents(column);
        };
        QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit, Qt::QueuedConnection);
        QObject::connect(model, &QFileSystemModel::rowsInserted, view, fit, Qt::QueuedConnection);
        dialog_.resize(dialog_.size().expandedTo(QSize(760, 460)));
        fit();
    }

    QFileDialog& dialog_;
    bool fitting_ = false;
};

// The chosen file, or nullopt when the dialog was cancelled or (through the
// portal) never shown.
std::optional<QString> RunOnce(QWidget* parent, QFileDialog::AcceptMode mode, const QString& proposed, bool own,
                               bool* userAsked)
{
    // Qt's own titles, named here: the desktop's dialogs get no other.
    const QString title = mode == QFileDialog::AcceptOpen ? QFileDialog::tr("Open") : QFileDialog::tr("Save As");
    QFileDialog dialog(parent, title, proposed, ListFileFilter());
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (own)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (mode == QFileDialog::AcceptSave && !proposed.isEmpty())
        dialog.selectFile(proposed);
    new OwnDialogColumns(dialog);
    std::optional<PortalAnswerWatch> portal;
    if (!own && FileDialogsUsePortal())
        portal.emplace();
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    *userAsked = !portal || portal->UserWasAsked();
    if (!chosen)
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QString RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& proposed)
{
    // A portal that stopped answering since the start gets no request: Qt's
    // portal dialog would wait for it, showing nothing.
    bool own = FileDialogsUsePortal() && !FileChooserPortalAnswers(std::chrono::seconds(1));
    bool userAsked = true;
    if (auto path = RunOnce(parent, mode, proposed, own, &userAsked))
        return *path;
    if (userAsked || own)
        return {};
    // The portal failed the request: the user still gets a dialog.
    return RunOnce(parent, mode, proposed, true, &userAsked).value_or(QString());
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
