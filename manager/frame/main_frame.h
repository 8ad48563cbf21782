// SPDX-License-Identifier: GPL-3.0-or-later
// CMainFrame: the list manager's window. It lays out the panes (the folder
// tree above the preview on the left, the image list on the right), carries
// the menu, the toolbar and the scheduling bar at the top and the status bar
// at the bottom, and carries out the commands of all of them: every command
// reaches RunCommand by its number, and the enabled and checked states are
// worked out again before a menu shows and after each command.
#pragma once

#include "vistrel/core/list_file.h"

#include <QMainWindow>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QAbstractItemView;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace vistrel::manager {

class CLeftView;
class ExtenderIconCache;
class CVistrelApp;
class CVistrelDoc;
class CVistrelPreviewView;
class CVistrelView;
class CThumbnailView;
class ThumbnailLoader;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CVistrelApp& app);
    ~CMainFrame() override;

    // Runs a command by its number, as menus, buttons, keys and panes do.
    void RunCommand(int id);
    void UpdateCommandUI();
    // The window's item for a command (menu or toolbar), or null.
    QAction* Action(int id) const;

    // The scheduling bar's text: the description of the list's schedule.
    void RefreshSchedulingText();

    // Opens a list file after asking to save a changed list; the same file
    // as the open one only comes to the front. Cancelled: Unreadable is
    // returned and nothing changed.
    ListLoadStatus OpenDocumentFile(const QString& path);
    // Asks whether to save a changed list; false when the user cancelled
    // (or the save failed).
    bool SaveModified();
    bool DoSave(bool saveAs);
    // Looks whether the list file changed on disk and settles it: an
    // unchanged list is read again, a changed one only after asking.
    void CheckDiskChanged();

    // Adds a path dropped on the window or chosen in the tree. This is where
    // the Recursive Insert dialog comes in.
    void RunRecursiveInsert(const std::string& path, bool noDuplicates);

    // Tells the preview pane that the list's current row is to be shown and
    // restarts the preview delay (timer 32030).
    void ArmPreviewFromList();
    // The same for the tree's item at `path` (empty: none).
    void ArmPreviewFromTree(const std::string& path);
    void BringToFront();

    CVistrelView* ListView() const { return listView_; }
    CThumbnailView* ThumbnailView() const { return thumbnailView_; }
    // The view of the list that shows now: the rows, or the thumbnails.
    QAbstractItemView* ShownListView() const;
    bool ShowsThumbnails() const;
    void ShowThumbnails(bool on);
    CLeftView* TreeView() const { return treeView_; }
    CVistrelPreviewView* PreviewView() const { return previewView_; }
    QTimer& PreviewTimer() { return previewTimer_; }
    QLabel* ScheduleText() const { return scheduleText_; }

    QMenu* createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(int id);
    void BuildMenus();
    void BuildBars();
    void BuildPanes();
    void UpdateTitle();
    void UpdateLockIndicators(quint32 nativeModifiers);
    void NextPane(int step);
    // Back to the two lines of text, with nothing pending: a new list's
    // rows are not the ones the last picture came from.
    void ResetPreview();

    // Commands (frame_commands.cpp).
    void OnFileNew();
    void OnFileOpen();
    void OnSelectAll();
    void OnDeleteSelected();
    void OnChangeNow();
    void OnSetPriority();
    void OnResetTotals();
    void OnResetShown();
    void OnToggleRandom();
    void OnChangeScheduling();
    void OnOnlineHelp();
    void OnExtenderInfo();
    void OnInsertFromTree(bool noDuplicates);
    void OnExtenderCommand(int id);
    void OnPreviewTimer();
    void ReloadFromDisk();
    void SelectRow(int row);

    CVistrelApp& app_;
    CVistrelDoc& doc_;
    std::map<int, QAction*> actions_;
    QToolBar* toolbar_ = nullptr;
    QToolBar* schedulingBar_ = nullptr;
    QPushButton* changeScheduling_ = nullptr;
    QLabel* scheduleText_ = nullptr;
    QLabel* capsIndicator_ = nullptr;
    QLabel* numIndicator_ = nullptr;
    QSplitter* outer_ = nullptr;
    QSplitter* inner_ = nullptr;
    CLeftView* treeView_ = nullptr;
    CVistrelPreviewView* previewView_ = nullptr;
    CVistrelView* listView_ = nullptr;
    std::unique_ptr<ExtenderIconCache> icons_;
    std::unique_ptr<ThumbnailLoader> thumbnails_;
    QStackedWidget* listStack_ = nullptr;
    CThumbnailView* thumbnailView_ = nullptr;
    QTimer previewTimer_; // 32030
    bool checkingDisk_ = false;
};

} // namespace vistrel::manager
