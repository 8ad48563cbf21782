// SPDX-License-Identifier: GPL-3.0-or-later
// Which file dialog the list manager takes: the user's choice of platform
// theme stands; the portal only where one runs; and a portal's answer tells
// whether the user saw a dialog. (The dialogs themselves, through a real
// portal and a failing one, are in file_dialog_portal_test.cpp.)
#include "app/desktop_file_dialog.h"
#include "environment.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace vistrel::manager;
using vistrel::test::ScopedEnvironment;

namespace {

class PlatformThemeChoice : public ::testing::Test {
protected:
    ~PlatformThemeChoice() override { NotePlatformTheme(QString()); }
    // No session bus anywhere: nothing is asked, nothing is started.
    vistrel::test::TempDir runtime;
    ScopedEnvironment noBus{"DBUS_SESSION_BUS_ADDRESS", std::nullopt};
    ScopedEnvironment ownRuntime{"XDG_RUNTIME_DIR", runtime.Path().string()};
};

} // namespace

TEST_F(PlatformThemeChoice, TheUsersThemeStandsAndSaysWhetherThePortalIsUsed)
{
    const QStringList program{QStringLiteral("Vistrel")};
    {
        ScopedEnvironment theme("QT_QPA_PLATFORMTHEME", "gtk3");
        EXPECT_EQ(ChosenPlatformTheme(program), QStringLiteral("gtk3"));
        EXPECT_TRUE(StartupPlatformTheme(program).isEmpty()) << "nothing added to the user's choice";
        EXPECT_FALSE(FileDialogsUsePortal());
    }
    {
        ScopedEnvironment theme("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
        EXPECT_TRUE(StartupPlatformTheme(program).isEmpty());
        EXPECT_TRUE(FileDialogsUsePortal()) << "the user's portal theme gets the portal's safeguards";
        // The argument wins over the variable, as in Qt.
        const QStringList withArgument{QStringLiteral("Vistrel"), QStringLiteral("-platformtheme"),
                                       QStringLiteral("gtk3"), QStringLiteral("list.vist")};
        EXPECT_EQ(ChosenPlatformTheme(withArgument), QStringLiteral("gtk3"));
        EXPECT_TRUE(StartupPlatformTheme(withArgument).isEmpty());
        EXPECT_FALSE(FileDialogsUsePortal());
    }
    {
        ScopedEnvironment theme("QT_QPA_PLATFORMTHEME", "snap");
        StartupPlatformTheme(program);
        EXPECT_TRUE(FileDialogsUsePortal()) << "Qt's other names of the portal theme";
    }
}

TEST_F(PlatformThemeChoice, WithoutABusNoPortalIsTaken)
{
    ScopedEnvironment theme("QT_QPA_PLATFORMTHEME", std::nullopt);
    EXPECT_FALSE(FileChooserPortalAnswers(500ms));
    EXPECT_TRUE(StartupPlatformTheme({QStringLiteral("Vistrel")}).isEmpty()) << "Qt's own pick stands";
    EXPECT_FALSE(FileDialogsUsePortal());
    // An empty variable is no choice either.
    ScopedEnvironment empty("QT_QPA_PLATFORMTHEME", "");
    EXPECT_TRUE(ChosenPlatformTheme({QStringLiteral("Vistrel")}).isEmpty());
}

TEST(PortalAnswer, OnlyAFailedOrInstantAnswerMeansTheUserSawNoDialog)
{
    EXPECT_FALSE(PortalAskedTheUser(std::nullopt, 5s)) << "no answer: the request failed";
    EXPECT_TRUE(PortalAskedTheUser(0u, 10ms)) << "chosen";
    EXPECT_TRUE(PortalAskedTheUser(1u, 10ms)) << "cancelled";
    EXPECT_FALSE(PortalAskedTheUser(2u, 40ms)) << "the back-end failed at once";
    EXPECT_TRUE(PortalAskedTheUser(2u, 3s)) << "the dialog's window was closed (GTK's Escape)";
}
