// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/main_frame.h"

#include "app/artwork.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "app/vistrel_app.h"
#include "app/vistrel_doc.h"
#include "frame/menus.h"
#include "frame/path_insert.h"
#include "list/image_list_view.h"
#include "list/thumbnail_cache.h"
#include "list/thumbnail_loader.h"
#include "list/thumbnail_view.h"
#include "preview/preview_view.h"
#include "tree/image_tree_ctrl.h"
#include "tree/left_view.h"

#include "vistrel/core/registry_key.h"
#include "vistrel/platform/files.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>
#include <system_error>

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The list manager's own settings: whether the list shows as thumbnails.
constexpr const char* kManagerSettingsKey = "Software\\Vistrel\\Vistrel\\Settings";
constexpr const char* kThumbnailsValue = "Thumbnails";

// The X11 modifier bits of the two lock keys in a key event's state.
constexpr quint32 kX11CapsLock = 0x02;
constexpr quint32 kX11NumLock = 0x10;

} // namespace

CMainFrame::CMainFrame(CVistrelApp& app) : app_(app), doc_(app.Document())
{
    setObjectName(QString::number(ids::kMainFrame));
    setWindowIcon(ProgramIcon());
    BuildMenus();
    BuildBars();
    BuildPanes();

    previewTimer_.setObjectName(QString::number(ids::kTimerPreview));
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(ids::kPreviewDelayMs);
    connect(&previewTimer_, &QTimer::timeout, this, [this] { OnPreviewTimer(); });

    doc_.onStateChanged = [this] {
        UpdateTitle();
        UpdateCommandUI();
    };
    UpdateTitle();
    UpdateCommandUI();
    qApp->installEventFilter(this);

    // No stored placement: a size that suits the panes, centred.
    resize(900, 600);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        resize(std::min(900, area.width()), std::min(600, area.height()));
        move(area.center() - rect().center());
    }
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    doc_.onStateChanged = nullptr;
    if (app_.Preview() == previewView_)
        app_.SetPreview(nullptr);
}

QAction* CMainFrame::MakeAction(int id)
{
    auto found = actions_.find(id);
    if (found != actions_.end())
        return found->second;
    auto* action = new QAction(Q(Text(id)), this);
    action->setObjectName(QString::number(id));
    action->setData(id);
    const QString plain = QString::fromStdString(PlainMenuText(Text(id)));
    action->setToolTip(plain);
    action->setStatusTip(plain);
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const
{
    auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QString::number(ids::kMainFrame));
    auto popup = [&](std::string_view title) {
        QMenu* menu = bar->addMenu(Q(title));
        menu->setObjectName(QString::fromStdString(PlainMenuText(title)));
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
        return menu;
    };
    auto add = [&](QMenu* menu, int id) {
        QAction* action = MakeAction(id);
        menu->addAction(action);
        return action;
    };

    QMenu* list = popup(texts::kMenuImageList);
    add(list, ids::kCmdFileNew)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    add(list, ids::kCmdFileOpen)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add(list, ids::kCmdFileSave)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add(list, ids::kCmdFileSaveAs);
    list->addSeparator();
    add(list, ids::kCmdAppExit);

    QMenu* options = popup(texts::kMenuOptions);
    add(options, ids::kButtonChangeScheduling);
    add(options, ids::kCmdSchedulerOptions);
    add(options, ids::kCmdAutoPreview)->setCheckable(true);

    QMenu* view = popup(texts::kMenuView);
    add(view, ids::kCmdViewToolbar)->setCheckable(true);
    add(view, ids::kCmdViewStatusBar)->setCheckable(true);
    add(view, ids::kCmdViewThumbnails)->setCheckable(true);

    QMenu* help = popup(texts::kMenuHelp);
    add(help, ids::kCmdHelpTopics);
    add(help, ids::kCmdAppAbout);
    QMenu* web = help->addMenu(Q(texts::kMenuWebResources));
    web->setObjectName(Q(texts::kMenuWebResources));
    add(web, ids::kCmdWebSite);
    add(web, ids::kCmdFreePhotos);

    // Accelerators without a menu item of their own.
    const std::pair<int, QKeySequence> keys[] = {
        {ids::kCmdHelp, QKeySequence(Qt::Key_F1)},
        {ids::kCmdContextHelp, QKeySequence(Qt::SHIFT | Qt::Key_F1)},
        {ids::kCmdNextPane, QKeySequence(Qt::Key_F6)},
        {ids::kCmdPrevPane, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
    };
    for (const auto& [id, key] : keys) {
        QAction* action = MakeAction(id);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    // The list's context menu sends its commands here too.
    if (QMenu* context = app_.ContextMenu()) {
        ForEachCommand(*context, [this](QAction* action) {
            connect(action, &QAction::triggered, this, [this, action] { RunCommand(CommandOf(action)); });
        });
        connect(context, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    }
}

void CMainFrame::BuildBars()
{
    toolbar_ = addToolBar(QString::fromStdString(PlainMenuText(Text(ids::kCmdViewToolbar))));
    toolbar_->setObjectName(QString::number(ids::kBarToolbar));
    toolbar_->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    for (int id : {ids::kCmdFileNew, ids::kCmdFileOpen, ids::kCmdFileSave, 0, ids::kCmdInsertNoDup, 0,
                   ids::kCmdToggleRandom, ids::kCmdSchedulerOptions, 0, ids::kCmdAppAbout}) {
        if (id == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* action = MakeAction(id);
        action->setIcon(QIcon(ToolbarImageFor(id)));
        if (id == ids::kCmdToggleRandom)
            action->setCheckable(true);
        toolbar_->addAction(action);
    }

    // The scheduling bar beside the toolbar, as the second band of the rebar.
    schedulingBar_ = addToolBar(QString::fromStdString(PlainMenuText(Text(ids::kButtonChangeScheduling))));
    schedulingBar_->setObjectName(QString::number(ids::kBarScheduling));
    auto* band = new QWidget(schedulingBar_);
    auto* layout = new QHBoxLayout(band);
    layout->setContentsMargins(2, 1, 2, 1);
    changeScheduling_ = new QPushButton(Q(texts::kChangeSchedulingButton), band);
    changeScheduling_->setObjectName(QString::number(ids::kButtonChangeScheduling));
    connect(changeScheduling_, &QPushButton::clicked, this, [this] { RunCommand(ids::kButtonChangeScheduling); });
    scheduleText_ = new QLabel(band);
    scheduleText_->setObjectName(QString::number(ids::kStaticSchedule));
    scheduleText_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(changeScheduling_);
    layout->addWidget(scheduleText_, 1);
    schedulingBar_->addWidget(band);

    QStatusBar* status = statusBar();
    status->setObjectName(QString::number(ids::kBarStatus));
    capsIndicator_ = new QLabel(Q(texts::kIndicatorCaps), status);
    capsIndicator_->setObjectName(QString::number(ids::kIndicatorCaps));
    numIndicator_ = new QLabel(Q(texts::kIndicatorNum), status);
    numIndicator_->setObjectName(QString::number(ids::kIndicatorNum));
    for (QLabel* indicator : {capsIndicator_, numIndicator_}) {
        indicator->setFrameShape(QFrame::Panel);
        indicator->setFrameShadow(QFrame::Sunken);
        indicator->setEnabled(false);
        status->addPermanentWidget(indicator);
    }
    status->showMessage(Q(Text(ids::kStrIdle)));
    connect(status, &QStatusBar::messageChanged, this, [status](const QString& message) {
        if (message.isEmpty())
            status->showMessage(Q(Text(ids::kStrIdle)));
    });
}

void CMainFrame::BuildPanes()
{
    outer_ = new QSplitter(Qt::Horizontal, this);
    outer_->setObjectName(QStringLiteral("splitter"));
    inner_ = new QSplitter(Qt::Vertical, outer_);
    inner_->setObjectName(QStringLiteral("splitter.left"));
    inner_->setMinimumWidth(20);
    treeView_ = new CLeftView(
        app_.Registry(), [this](int id) { RunCommand(id); },
        [this](const std::string& path) { ArmPreviewFromTree(path); }, inner_);
    previewView_ = new CVistrelPreviewView(inner_);
    previewView_->SetList(&doc_.List());
    app_.SetPreview(previewView_);
    inner_->addWidget(treeView_);
    inner_->addWidget(previewView_);
    inner_->setSizes({200, 200});
    icons_ = std::make_unique<ExtenderIconCache>(app_.Registry());
    listStack_ = new QStackedWidget(outer_);
    listView_ = new CVistrelView(
        doc_.Model(), *icons_, app_.ContextMenu(), [this](int id) { RunCommand(id); }, [this] { ArmPreviewFromList(); },
        listStack_);
    // The grid of thumbnails shares the row view's selection: the same rows
    // are selected and current in both, and the commands need not know
    // which one shows.
    thumbnails_ = std::make_unique<ThumbnailLoader>(app_.Registry(), thumbnails::CacheRoot());
    thumbnailView_ = new CThumbnailView(
        doc_.Model(), *thumbnails_, app_.ContextMenu(), [this](int id) { RunCommand(id); },
        [this] { ArmPreviewFromList(); }, listStack_);
    thumbnailView_->setSelectionModel(listView_->selectionModel());
    thumbnails_->onReady = [this](const QString&) {
        if (thumbnailView_->isVisible())
            thumbnailView_->viewport()->update();
    };
    listStack_->addWidget(listView_);
    listStack_->addWidget(thumbnailView_);
    outer_->addWidget(inner_);
    outer_->addWidget(listStack_);
    outer_->setCollapsible(0, false);
    outer_->setStretchFactor(1, 1);
    outer_->setSizes({200, 700});
    setCentralWidget(outer_);

    std::uint32_t thumbnails = 0;
    CRegistryKey key;
    if (key.Open(kManagerSettingsKey))
        key.ReadNumber(kThumbnailsValue, thumbnails);
    listStack_->setCurrentWidget(thumbnails ? static_cast<QWidget*>(thumbnailView_) : listView_);
}

QAbstractItemView* CMainFrame::ShownListView() const
{
    return ShowsThumbnails() ? static_cast<QAbstractItemView*>(thumbnailView_) : listView_;
}

bool CMainFrame::ShowsThumbnails() const { return listStack_ && listStack_->currentWidget() == thumbnailView_; }

void CMainFrame::ShowThumbnails(bool on)
{
    if (on == ShowsThumbnails())
        return;
    const bool focused = ShownListView()->hasFocus();
    const QModelIndex current = listView_->currentIndex();
    listStack_->setCurrentWidget(on ? static_cast<QWidget*>(thumbnailView_) : listView_);
    if (current.isValid())
        ShownListView()->scrollTo(current);
    if (focused)
        ShownListView()->setFocus();
    // Remembered for the next start.
    CRegistryKey key;
    if (key.Open(kManagerSettingsKey) || key.Create(kManagerSettingsKey))
        key.WriteNumber(kThumbnailsValue, on ? 1 : 0);
    key.Close();
}

QMenu* CMainFrame::createPopupMenu()
{
    return nullptr; // the bars are shown and hidden from the View menu only
}

void CMainFrame::UpdateTitle() { setWindowTitle(doc_.Title() + QStringLiteral(" - ") + Q(texts::kWindowTitle)); }

void CMainFrame::UpdateCommandUI()
{
    const bool selection = listView_ && listView_->selectionModel() && listView_->selectionModel()->hasSelection();
    auto apply = [&](QAction* action) {
        switch (CommandOf(action)) {
        case ids::kCmdSetPriority:
        case ids::kCmdResetTotals:
        case ids::kCmdResetShown: action->setEnabled(selection); break;
        case ids::kCmdToggleRandom: action->setChecked(doc_.List().GetRandom() != 0); break;
        case ids::kCmdAutoPreview: action->setChecked(app_.AutoPreview()); break;
        case ids::kCmdViewToolbar: action->setChecked(toolbar_ && !toolbar_->isHidden()); break;
        case ids::kCmdViewStatusBar: action->setChecked(!statusBar()->isHidden()); break;
        case ids::kCmdViewThumbnails: action->setChecked(ShowsThumbnails()); break;
        default: break;
        }
    };
    for (const auto& [id, action] : actions_)
        apply(action);
    if (QMenu* context = app_.ContextMenu())
        ForEachCommand(*context, apply);
}

void CMainFrame::BringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::RunRecursiveInsert(const std::string& path, bool noDuplicates)
{
    const int before = doc_.List().GetCount();
    std::error_code error;
    const bool folder = path.empty() || std::filesystem::is_directory(platform::PathFromUtf8(path), error);
    const int added = InsertPath(this, doc_.Model(), path, noDuplicates);
    // The dialog may have come and gone too fast to be read, and a window
    // manager need not give the focus back to a window whose dialog closed
    // itself: the window takes it back, with the list where the rows went.
    BringToFront();
    ShownListView()->setFocus(Qt::OtherFocusReason);
    if (added > 0) {
        const QModelIndex first = doc_.Model().index(before, 0);
        listView_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        ShownListView()->scrollTo(first);
    }
    if (folder) {
        const QString where = QString::fromStdString(path);
        statusBar()->showMessage(added > 1    ? Q(texts::kInsertedMany).arg(added).arg(where)
                                 : added == 1 ? Q(texts::kInsertedOne).arg(where)
                                              : Q(texts::kInsertedNone).arg(where));
    }
}

void CMainFrame::ResetPreview()
{
    previewTimer_.stop();
    if (CVistrelPreviewView* preview = app_.Preview()) {
        preview->ForgetImage();
        preview->SetSource(PreviewSource::None);
        preview->SetPendingPath({});
    }
}

void CMainFrame::ArmPreviewFromList()
{
    if (CVistrelPreviewView* preview = app_.Preview()) {
        preview->ForgetImage();
        CVistrelView* list = listView_;
        preview->SetSource(PreviewSource::List, [list] { return list->PreviewRow(); });
        preview->SetSourceWidget(ShownListView());
    }
    previewTimer_.start(ids::kPreviewDelayMs);
}

void CMainFrame::ArmPreviewFromTree(const std::string& path)
{
    if (CVistrelPreviewView* preview = app_.Preview()) {
        preview->ForgetImage();
        preview->SetSource(PreviewSource::Tree);
        preview->SetPendingPath(path);
        preview->SetSourceWidget(treeView_->Tree());
    }
    previewTimer_.start(ids::kPreviewDelayMs);
}

void CMainFrame::OnPreviewTimer()
{
    previewTimer_.stop();
    if (app_.AutoPreview())
        if (CVistrelPreviewView* preview = app_.Preview())
            preview->OnCommand(ids::kCmdPreviewLoad);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (SaveModified())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window is when a list the scheduler wrote meanwhile
    // is noticed.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] { CheckDiskChanged(); });
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptDrops() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            RunRecursiveInsert(url.toLocalFile().toStdString(), true);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        QGuiApplication::platformName() == QLatin1String("xcb"))
        UpdateLockIndicators(static_cast<QKeyEvent*>(event)->nativeModifiers());
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::UpdateLockIndicators(quint32 nativeModifiers)
{
    capsIndicator_->setEnabled(nativeModifiers & kX11CapsLock);
    numIndicator_->setEnabled(nativeModifiers & kX11NumLock);
}

void CMainFrame::NextPane(int step)
{
    QWidget* panes[] = {treeView_, previewView_, ShownListView()};
    int at = 0;
    for (int i = 0; i < 3; ++i)
        if (panes[i]->hasFocus() || panes[i]->isAncestorOf(QApplication::focusWidget()))
            at = i;
    panes[(at + step + 3) % 3]->setFocus();
}

} // namespace vistrel::manager
