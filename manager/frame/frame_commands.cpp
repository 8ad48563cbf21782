// SPDX-License-Identifier: GPL-3.0-or-later
// The commands the main frame carries out.
#include "app/resource_ids.h"
#include "app/texts.h"
#include "app/vistrel_app.h"
#include "app/vistrel_doc.h"
#include "dialogs/extender_info_dialog.h"
#include "dialogs/scheduler_options_dialog.h"
#include "dialogs/set_priority_dialog.h"
#include "frame/main_frame.h"
#include "list/image_list_view.h"
#include "list/thumbnail_loader.h"
#include "preview/preview_loader.h"
#include "preview/preview_view.h"
#include "tree/left_view.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_command.h"
#include "vistrel/core/message_sink.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>
#include <mutex>

namespace vistrel::manager {

namespace {

// The hourglass while a command works.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Above this many rows a change of many rows resets the views once rather
// than telling them row by row.
constexpr std::size_t kBulkRows = 64;

} // namespace

void CMainFrame::RunCommand(int id)
{
    switch (id) {
    case ids::kCmdFileNew: OnFileNew(); break;
    case ids::kCmdFileOpen: OnFileOpen(); break;
    case ids::kCmdFileSave: DoSave(false); break;
    case ids::kCmdFileSaveAs: DoSave(true); break;
    case ids::kCmdAppExit: close(); break;
    case ids::kCmdAppAbout: app_.OnAppAbout(); break;
    case ids::kCmdSchedulerOptions: RunSchedulerOptions(this); break;
    case ids::kCmdWebSite:
    case ids::kCmdFreePhotos: app_.OpenWebPage(id); break;
    case ids::kCmdHelpTopics:
    case ids::kCmdHelp: OnOnlineHelp(); break;
    case ids::kCmdContextHelp: QWhatsThis::enterWhatsThisMode(); break;
    case ids::kCmdNextPane: NextPane(+1); break;
    case ids::kCmdPrevPane: NextPane(-1); break;
    case ids::kCmdViewToolbar: toolbar_->setVisible(toolbar_->isHidden()); break;
    case ids::kCmdViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); break;
    case ids::kCmdViewThumbnails: ShowThumbnails(!ShowsThumbnails()); break;
    case ids::kCmdExtenderInfo: OnExtenderInfo(); break;
    case ids::kCmdInsert:
    case ids::kCmdInsertNoDup: OnInsertFromTree(true); break;
    case ids::kCmdInsertAll:
    case ids::kCmdInsertDup:
    case ids::kCmdInsertDialog: OnInsertFromTree(false); break;
    case ids::kCmdExpandCollapse: treeView_->ToggleSelectedItem(); break;
    case ids::kCmdSelectAll: OnSelectAll(); break;
    case ids::kCmdDeleteSelected: OnDeleteSelected(); break;
    case ids::kCmdChangeNow: OnChangeNow(); break;
    case ids::kCmdSetPriority: OnSetPriority(); break;
    case ids::kCmdResetTotals: OnResetTotals(); break;
    case ids::kCmdResetShown: OnResetShown(); break;
    case ids::kCmdToggleRandom: OnToggleRandom(); break;
    case ids::kButtonChangeScheduling: OnChangeScheduling(); break;
    case ids::kCmdAutoPreview: app_.SetAutoPreview(!app_.AutoPreview()); break;
    default:
        if (id >= ids::kFirstExtenderCommand && id <= ids::kLastExtenderCommand)
            OnExtenderCommand(id);
        break;
    }
    UpdateCommandUI();
}

void CMainFrame::OnFileNew()
{
    if (!SaveModified())
        return;
    doc_.NewDocument();
    ResetPreview();
    thumbnails_->Clear();
    RefreshSchedulingText();
}

void CMainFrame::OnFileOpen()
{
    QString path = app_.Ui().AskOpenPath(this);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

ListLoadStatus CMainFrame::OpenDocumentFile(const QString& path)
{
    const std::string file = QFileInfo(path).absoluteFilePath().toStdString();
    if (!doc_.PathName().empty() && file == doc_.PathName()) {
        BringToFront();
        return ListLoadStatus::Ok;
    }
    if (!SaveModified())
        return ListLoadStatus::Unreadable;
    ListLoadStatus status = doc_.OpenDocument(file);
    if (LoadedCompletely(status))
        app_.RecentFiles().Add(file);
    ResetPreview();
    RefreshSchedulingText();
    return status;
}

bool CMainFrame::SaveModified()
{
    if (!doc_.IsModified())
        return true;
    const QString name = doc_.PathName().empty() ? doc_.Title() : QString::fromStdString(doc_.PathName());
    switch (app_.Ui().AskToSave(this, name)) {
    case SaveAnswer::Save: return DoSave(false);
    case SaveAnswer::Discard: return true;
    case SaveAnswer::Cancel: break;
    }
    return false;
}

bool CMainFrame::DoSave(bool saveAs)
{
    std::string path = doc_.PathName();
    if (saveAs || path.empty()) {
        QString proposed =
            path.empty() ? Q(texts::kNewDocumentName) + Q(kListFileExtension) : QString::fromStdString(path);
        QString chosen = app_.Ui().AskSavePath(this, proposed);
        if (chosen.isEmpty())
            return false;
        path = QFileInfo(chosen).absoluteFilePath().toStdString();
    } else if (doc_.DiskChanged()) {
        // The scheduler (or anyone) wrote the file since we read it: neither
        // side's changes are thrown away without the user's word.
        switch (app_.Ui().AskDiskChanged(this, QString::fromStdString(path), true)) {
        case DiskAnswer::KeepMine: break;
        case DiskAnswer::Reload: ReloadFromDisk(); return false;
        case DiskAnswer::Cancel: return false;
        }
    }
    std::string error;
    if (!doc_.SaveDocument(path, error)) {
        std::string message(texts::kFailedToSave);
        if (!error.empty())
            message += "\n" + error;
        ShowMessage(message, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        return false;
    }
    app_.RecentFiles().Add(path);
    return true;
}

void CMainFrame::ReloadFromDisk()
{
    const std::string path = doc_.PathName();
    doc_.OpenDocument(path);
    RefreshSchedulingText();
}

void CMainFrame::CheckDiskChanged()
{
    if (checkingDisk_ || !doc_.DiskChanged())
        return;
    checkingDisk_ = true;
    if (!doc_.IsModified())
        ReloadFromDisk();
    else if (app_.Ui().AskDiskChanged(this, QString::fromStdString(doc_.PathName()), false) == DiskAnswer::Reload)
        ReloadFromDisk();
    else
        doc_.AcknowledgeDisk();
    checkingDisk_ = false;
}

void CMainFrame::RefreshSchedulingText()
{
    QString text;
    if (void* block = doc_.List().GetSchedulerBlock())
        if (char* description = ext::TimeSchedulationDescription(app_.Registry().FirstScheduler(), block)) {
            text = QString::fromUtf8(description);
            gmem::Free(description);
        }
    scheduleText_->setText(text);
    scheduleText_->update();
}

void CMainFrame::OnChangeScheduling()
{
    void* block = doc_.List().GetSchedulerBlock();
    if (!block)
        return;
    ExtenderHandle scheduler = app_.Registry().FirstScheduler();
    ext::Setup(scheduler, block);
    QString text;
    if (char* description = ext::TimeSchedulationDescription(scheduler, block)) {
        text = QString::fromUtf8(description);
        gmem::Free(description);
    }
    scheduleText_->hide();
    scheduleText_->setText(text);
    scheduleText_->show();
    // Whether or not the user changed anything in the extender's dialog.
    doc_.SetModifiedFlag(true);
}

void CMainFrame::OnSelectAll() { listView_->selectAll(); }

void CMainFrame::SelectRow(int row)
{
    QModelIndex index = doc_.Model().index(row, 0);
    listView_->selectionModel()->setCurrentIndex(index,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ShownListView()->scrollTo(index);
}

void CMainFrame::OnDeleteSelected()
{
    WaitCursor wait;
    const std::vector<int> rows = listView_->SelectedRows();
    if (rows.empty())
        return;
    // The same rows go as when the scan restarts from the top after each
    // deletion; from the bottom up nothing moves under the indices still due.
    const bool bulk = rows.size() > kBulkRows;
    if (bulk)
        doc_.Model().BeginBulk();
    CWallpaperList& list = doc_.List();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        list.DeleteEntry(*row);
    if (bulk)
        doc_.Model().EndBulk();
    doc_.SetModifiedFlag(true);
    const int count = list.GetCount();
    if (count == 0) {
        listView_->clearSelection();
        return;
    }
    SelectRow(std::min(rows.front(), count - 1));
}

void CMainFrame::OnChangeNow()
{
    WaitCursor wait;
    const std::vector<int> rows = listView_->SelectedRows();
    if (rows.empty())
        return;
    bool changed = false;
    {
        std::lock_guard readers(ReaderCallLock()); // a preview may be reading
        changed = doc_.List().ChangeNow(rows.front());
    }
    doc_.SetModifiedFlag(true);
    if (!changed)
        ShowMessage(std::string(texts::kWallpaperNotChanged) + doc_.List().LastChangeError(),
                    VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
}

void CMainFrame::OnSetPriority()
{
    const std::vector<int> rows = listView_->SelectedRows();
    if (rows.empty())
        return;
    CWallpaperList& list = doc_.List();
    CSetPriorityDlg dialog(this);
    dialog.priority = static_cast<int>(ParseNumber(list.GetText(rows.front(), kColPriority)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string text = std::to_string(dialog.priority);
    for (int row : rows)
        list.SetText(row, kColPriority, text);
    doc_.SetModifiedFlag(true);
}

void CMainFrame::OnResetTotals()
{
    for (int row : listView_->SelectedRows())
        doc_.List().ResetTotal(row);
    doc_.SetModifiedFlag(true);
}

void CMainFrame::OnResetShown()
{
    for (int row : listView_->SelectedRows())
        doc_.List().ResetShown(row);
    doc_.SetModifiedFlag(true);
}

void CMainFrame::OnToggleRandom()
{
    CWallpaperList& list = doc_.List();
    list.SetRandom(list.GetRandom() != 0 ? 0 : 1);
    doc_.SetModifiedFlag(true);
}

void CMainFrame::OnOnlineHelp()
{
    // Without a web site the help is the manual on this machine: the question
    // says so instead of speaking of an online help that is not opened.
    const bool online = !kWebSiteAddress.empty();
    if (ShowMessage(online ? Text(ids::kStrOnlineHelp) : texts::kLocalHelp,
                    VISTREL_MB_YESNO | VISTREL_MB_ICONASTERISK) == VISTREL_IDYES)
        app_.OpenWebPage(ids::kCmdHelp);
}

void CMainFrame::OnExtenderInfo()
{
    CLeftView::Selection item = treeView_->SelectedItem();
    if (!item.extender)
        return;
    CExtenderInfoDlg dialog(item.extender, this);
    dialog.exec();
}

void CMainFrame::OnInsertFromTree(bool noDuplicates)
{
    CLeftView::Selection item = treeView_->SelectedItem();
    // Nothing selected, an item below "Extenders", or one of the roots
    // "Extenders" and "Drives", which are no folders: nothing to insert.
    if (item.underExtenders || item.path.empty())
        return;
    if (item.isFolder) {
        RunRecursiveInsert(item.path, noDuplicates);
        return;
    }
    CWallpaperList& list = doc_.List();
    list.InsertFile(item.path, noDuplicates);
    const QString path = QString::fromStdString(item.path);
    for (int row = list.GetCount() - 1; row >= 0; --row)
        if (QString::fromStdString(list.GetText(row, kColFile)).compare(path, Qt::CaseInsensitive) == 0) {
            listView_->setCurrentIndex(doc_.Model().index(row, 0));
            ShownListView()->scrollTo(doc_.Model().index(row, 0));
            ShownListView()->setFocus();
            break;
        }
}

void CMainFrame::OnExtenderCommand(int id)
{
    const ExtenderCommandRecord* record = app_.FindExtenderCommand(id);
    if (!record)
        return;
    const std::vector<int> rows = listView_->SelectedRows();
    ApplyExtenderCommand(doc_.List(), app_.Registry(), record->extender, record->index, rows);
    // Every selected row was looked at, whether or not its type matched.
    if (!rows.empty())
        doc_.SetModifiedFlag(true);
    ShownListView()->viewport()->repaint();
}

} // namespace vistrel::manager
