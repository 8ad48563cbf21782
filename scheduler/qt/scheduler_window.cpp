// SPDX-License-Identifier: GPL-3.0-or-later
#include "scheduler_window.h"

#include "artwork.h"
#include "dialogs.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vistrel::scheduler {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

int TimerMs(std::uint32_t ms) { return static_cast<int>(std::min<std::uint32_t>(ms, kLongestTimerMs)); }

} // namespace

SchedulerWindow::SchedulerWindow(const CExtenderRegistry& registry, const std::string& programDirectory,
                                 WindowTiming timing)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), SchedulerHost(registry, programDirectory, timing, tray_),
      tray_(ids::kMenuTray, [this](int id) { RunCommand(id); })
{
    setObjectName(QString::number(ids::kDialogScheduler));
    setWindowTitle(QString());
    setWindowIcon(StatusIcon(ids::kIconActive));
    BuildWidgets();

    checkTimer_.setObjectName(QString::number(ids::kTimerCheckList));
    saveTimer_.setObjectName(QString::number(ids::kTimerSaveList));
    pollTimer_.setObjectName(QString::number(ids::kTimerPoll));
    connect(&checkTimer_, &QTimer::timeout, this, [this] { RunCommand(ids::kCmdCheckList); });
    connect(&saveTimer_, &QTimer::timeout, this, [this] { RunCommand(ids::kCmdSaveList); });
    connect(&pollTimer_, &QTimer::timeout, this, [this] { Poll(); });
    WatchScreens();

    // The tray icon comes up with the first status; then the picture shows
    // for its while, the window hides, and only then is the list loaded.
    Start();
}

SchedulerWindow::~SchedulerWindow() = default;

void SchedulerWindow::WatchScreens()
{
    // A monitor added, removed, moved or resized: the pictures are composed
    // again for the new layout.
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [this] { MonitorsChanged(); });
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        MonitorsChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { MonitorsChanged(); });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] { MonitorsChanged(); });
}

void SchedulerWindow::BuildWidgets()
{
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::Box);
    auto* picture = new QLabel;
    picture->setObjectName(QString::number(ids::kBitmapPicture));
    picture->setPixmap(StartUpPicture());
    picture->setAlignment(Qt::AlignCenter);
    auto* caption = new QLabel(Q(texts::kPictureCaption));
    caption->setAlignment(Qt::AlignCenter);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(picture);
    inner->addWidget(caption);

    // The hidden buttons of the window: each sends its command.
    auto addButton = [&](int id, std::string_view text) {
        auto* button = new QPushButton(Q(text), frame);
        button->setObjectName(QString::number(id));
        button->setVisible(false);
        connect(button, &QPushButton::clicked, this, [this, id] { RunCommand(id); });
        return button;
    };
    addButton(ids::kCmdClose, texts::kExitButton)->setDefault(true);
    addButton(ids::kCmdHide, Text(ids::kCmdHide));
    addButton(ids::kCmdCheckList, Text(ids::kCmdCheckList));
    addButton(ids::kCmdSaveList, Text(ids::kCmdSaveList));
    addButton(ids::kCmdLoadList, Text(ids::kCmdLoadList));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SchedulerWindow::ShowAboutBox() { RunAboutDialog(this); }

void SchedulerWindow::ShowPlaceholderDialog() { RunPlaceholderDialog(this); }

void SchedulerWindow::RunLater(std::chrono::milliseconds delay, int commandId)
{
    QTimer::singleShot(static_cast<int>(delay.count()), this, [this, commandId] { RunCommand(commandId); });
}

void SchedulerWindow::Quit() { QApplication::exit(0); }

void SchedulerWindow::HideAfterPicture()
{
    QTimer::singleShot(Timing().pictureMs, this, [this] {
        hide();
        QTimer::singleShot(0, this, [this] { RunCommand(ids::kCmdLoadList); });
    });
}

void SchedulerWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // What the window's system menu offered: the About box.
    QMenu menu(this);
    QAction* about = menu.addAction(Q(Text(ids::kStrAbout)));
    about->setObjectName(QString::number(ids::kCmdAbout));
    if (menu.exec(event->globalPos()) == about)
        ShowAboutBox();
}

void SchedulerWindow::ArmTimers(const TimerPlan& plan)
{
    checkTimer_.start(TimerMs(plan.checkMs));
    saveTimer_.start(TimerMs(plan.saveMs));
    if (plan.pollMs)
        pollTimer_.start(TimerMs(*plan.pollMs));
}

void SchedulerWindow::Wait(std::chrono::milliseconds duration)
{
    // Waits on a timer with the event loop running, so that the tray menu
    // answers during the 101 attempts of a failing change (about 10 s) and
    // the 3-second waits for a busy list file. Commands arriving meanwhile
    // find the cycle busy; "Close Scheduler" stops it at the end of this wait.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace vistrel::scheduler
