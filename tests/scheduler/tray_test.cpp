// The tray icon's menu, status and mouse handling, and the scheduler
// window's controls, on Qt's offscreen platform.
#include "artwork.h"
#include "scheduler_window.h"
#include "system_tray.h"
#include "test_support.h"
#include "vistrel/scheduler/resource_ids.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vistrel;
using namespace vistrel::scheduler;

namespace {

class TrayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "scheduler_tray_tests";
        static char* argv[] = {name, nullptr};
        // Ends with the process, so leak checkers see it freed.
        static std::unique_ptr<QApplication> app;
        if (!QApplication::instance())
            app = std::make_unique<QApplication>(argc, argv);
    }

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

TEST_F(TrayTest, SchedulerWindowCarriesItsControlsByNumber)
{
    vistrel::test::PrivateSettings settings;
    CExtenderRegistry registry;
    SchedulerWindow window(registry, "/nowhere/", WindowTiming{});
    EXPECT_EQ(window.objectName(), "102");
    auto* picture = window.findChild<QLabel*>("132");
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    bool caption = false;
    for (QLabel* label : window.findChildren<QLabel*>())
        caption = caption || label->text() == "The Automatic Wallpaper Changer";
    EXPECT_TRUE(caption);
    for (const char* id : {"1", "1002", "1004", "1005", "1006"}) {
        auto* button = window.findChild<QPushButton*>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->isHidden()) << id;
    }
    EXPECT_EQ(window.findChild<QPushButton*>("1")->text(), "Exit Vistrel");
}
