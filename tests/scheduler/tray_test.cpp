// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon's menu, status and mouse handling
// on Qt's offscreen platform.
#include "artwork.h"
#include "scheduler_window.h"
#include "system_tray.h"
#include "test_support.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/scheduler/resource_ids.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vistrel;
using namespace vistrel::scheduler;

namespace {

class TrayTest : public ::testing::Test {
protected:
    std::vector<int> commands;
    CSystemTray tray{ids::kMenuTray, [this](int id) { commands.push_back(id); }};
};

bool SameImage(const QIcon& a, const QIcon& b) { return a.pixmap(22, 22).toImage() == b.pixmap(22, 22).toImage(); }

} // namespace

TEST_F(TrayTest, MenuHoldsFiveItemsAndTwoSeparatorsWithTheToggleInBold)
{
    QMenu* menu = tray.Menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "129");
    std::vector<QString> texts;
    for (QAction* action : menu->actions())
        texts.push_back(action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(texts, (std::vector<QString>{"Scheduler ON/OFF", "-", "Open List Manager", "More Options...",
                                           "Change Now", "-", "Close Scheduler"}));
    QAction* toggle = menu->actions().at(0);
    EXPECT_EQ(menu->defaultAction(), toggle);
    EXPECT_TRUE(toggle->font().bold());
    EXPECT_FALSE(menu->actions().at(3)->isEnabled()) << "\"More Options...\" is disabled";

    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->isEnabled())
            action->trigger();
    EXPECT_EQ(commands, (std::vector<int>{32772, 32773, 32774, 1}));
}

TEST_F(TrayTest, DoubleClickSendsTheDefaultCommandAndOtherClicksNothing)
{
    emit tray.Icon().activated(QSystemTrayIcon::Trigger);
    emit tray.Icon().activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(commands.empty());
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(commands, std::vector<int>{ids::kCmdToggleActive});
}

TEST_F(TrayTest, IconAndTipSetWhileHiddenComeBackWithTheIcon)
{
    tray.Show();
    tray.SetIcon(ids::kIconActive);
    tray.SetTooltip(ids::kStrActive);
    tray.Hide();
    EXPECT_FALSE(tray.Icon().isVisible());
    tray.SetIcon(ids::kIconOff);
    tray.SetTooltip(ids::kStrOff);
    tray.Show();
    EXPECT_EQ(tray.Icon().toolTip(), "Vistrel Scheduler OFF");
    EXPECT_TRUE(SameImage(tray.Icon().icon(), StatusIcon(ids::kIconOff)));
    EXPECT_FALSE(tray.Hidden());
}

TEST_F(TrayTest, TheFourStatusIconsAreDrawnAndTellApart)
{
    std::vector<int> icons{ids::kIconActive, ids::kIconOff, ids::kIconChanging, ids::kIconBusy};
    for (std::size_t i = 0; i < icons.size(); ++i) {
        ASSERT_FALSE(StatusIcon(icons[i]).isNull()) << icons[i];
        for (std::size_t j = i + 1; j < icons.size(); ++j)
            EXPECT_FALSE(SameImage(StatusIcon(icons[i]), StatusIcon(icons[j]))) << icons[i] << " " << icons[j];
    }
    EXPECT_TRUE(StatusIcon(999).isNull());
    EXPECT_FALSE(StartUpPicture().isNull());
}

// A change whose every attempt fails takes about 10 s (101 waits of 100 ms).
// The program waits on timers meanwhile: its event loop runs, and "Close
// Scheduler" ends the attempts and the program at once, with a save.
TEST(SchedulerWindowTest, TheMenuAnswersDuringTheAttemptsAndCloseEndsThem)
{
    test::PrivateSettings settings;
    test::ProgramDir dir;
    dir.AddStandardFakes();
    test::TempDir lists;
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    std::string list = lists.File("a.vist");
    {
        CWallpaperList entries(&registry);
        entries.Reset();
        for (const char* name : {"unreadable-1.bmp", "unreadable-2.bmp"})
            ASSERT_TRUE(entries.InsertFile(lists.File(name), false));
        std::string error;
        ASSERT_TRUE(WriteListFile(list, entries, error)) << error;
    }
    // A byte after the list, which loading ignores and a save does not write:
    // the close's save cannot find the file holding its list already.
    std::ofstream(list, std::ios::binary | std::ios::app) << '\0';
    std::filesystem::create_hard_link(list, lists.File("before.vist"));
    RecentFileList recent;
    recent.Add(list);
    ASSERT_TRUE(recent.Save());
    auto reads =
        reinterpret_cast<int (*)()>(ext::Lookup(registry.Extenders(ExtenderKind::Reader).at(0), "FakeReadCount"));
    const int readsBefore = reads();

    SchedulerWindow window(registry, dir.Folder(), WindowTiming{0, 60000});
    int readsWhenClosing = -1;
    QTimer::singleShot(200, &window, [&] { window.RunCommand(ids::kCmdChangeNow); });
    QTimer::singleShot(700, &window, [&] {
        readsWhenClosing = reads() - readsBefore;
        window.RunCommand(ids::kCmdClose);
    });
    QTimer::singleShot(15000, [] { QApplication::exit(2); }); // never hang the suite
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_LT(clock.elapsed(), 3000) << "closed during the attempts, not after them";
    EXPECT_GT(readsWhenClosing, 0) << "the close came while the attempts ran";
    EXPECT_LT(reads() - readsBefore, 20) << "no attempts after the close";
    EXPECT_EQ(ReadSchedulerSettings().active, 1u) << "closing is no reason to switch off";
    // A save replaces the file: the second name keeps the old one.
    EXPECT_FALSE(std::filesystem::equivalent(list, lists.File("before.vist"))) << "the close saved the list";
}
