// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's Open dialog on a real X server (Xvfb) with a private
// session bus: the desktop's own dialog through the XDG desktop portal
// (Debian's xdg-desktop-portal with its GTK back-end) when one runs, and
// Qt's own dialog when the portal fails the request or stops answering:
// never no dialog at all. The screenshots are written into the build folder.
#include "../scheduler/desktop_session.h"
#include "test_support.h"
#include "vistrel/platform/process.h"
#include "xvfb_server.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
using namespace vistrel;
using vistrel::scheduler::test::Child;
using vistrel::scheduler::test::Eventually;
using vistrel::test::BinDir;
namespace fs = std::filesystem;

namespace {

// A session bus of the test's own, as dbus-run-session makes one: the
// system's session configuration, so the portal and its back-end start on
// demand, with the test's environment (its display) for them.
class PrivateSessionBus {
public:
    ~PrivateSessionBus() { Stop(); }

    // The bus's address, or empty when dbus-daemon did not come up.
    std::string Start()
    {
        const std::string daemon = platform::FindOnPath("dbus-daemon");
        int fds[2];
        if (daemon.empty() || ::pipe(fds) != 0)
            return {};
        std::vector<std::string> args{"dbus-daemon", "--session", "--nofork", "--print-address=1"};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const int rc = ::posix_spawn(&pid_, daemon.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::string address;
        pollfd wait{fds[0], POLLIN, 0};
        char c;
        while (rc == 0 && ::poll(&wait, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            address += c;
        ::close(fds[0]);
        if (rc != 0)
            pid_ = 0;
        if (address.empty())
            Stop();
        return address;
    }

    void Stop()
    {
        // The services it started (the portal, its back-end) end with it.
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The first visible window xdotool finds with these criteria, if any.
std::optional<std::string> VisibleWindow(std::vector<std::string> criteria)
{
    criteria.insert(criteria.begin(), {"search", "--all", "--onlyvisible"});
    std::string output;
    platform::RunProgram("xdotool", criteria, &output);
    const std::vector<std::string> found = Lines(output);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

class ManagerFileDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : {"Xvfb", "xdotool", "import", "dbus-daemon"})
            if (platform::FindOnPath(program).empty())
                GTEST_SKIP() << "skipped: " << program << " is not installed";
        for (const char* file : {"Vistrel", "vistrelctl", "Read_Expander/Bitload.so", "View_Expander/Picshow.so",
                                 "Scheduler_Expander/Clockpace.so"})
            if (!fs::exists(BinDir() / file))
                GTEST_SKIP() << "skipped: " << (BinDir() / file) << " is not built";

        // A session of its own: home, settings, caches, runtime folder.
        for (const char* sub : {"home", "config", "data", "cache", "runtime", "lists", "programs"})
            fs::create_directories(root.Path() / sub);
        fs::permissions(root.Path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("HOME", root.File("home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", root.File("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", root.File("data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", root.File("cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", root.File("runtime").c_str(), 1);
        // No platform theme chosen, no desktop named (so Qt itself would
        // pick no native dialog), X11, and no accessibility bus for GTK.
        for (const char* name :
             {"QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY", "VISTREL_SETTINGS", "GTK_MODULES"})
            ::unsetenv(name);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("NO_AT_BRIDGE", "1", 1);
        // Large enough for the GTK dialog's default size.
        ASSERT_TRUE(xvfb.Start(1280, 960)) << "Xvfb did not come up";
        ::setenv("DISPLAY", xvfb.Display().c_str(), 1);
        const std::string address = bus.Start();
        ASSERT_FALSE(address.empty()) << "dbus-daemon did not come up";
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        busAddress = QString::fromStdString(address);
        busName = QStringLiteral("test ") + busAddress;

        // The list manager with the shipped extenders; no scheduler, which
        // these dialogs do not need.
        const fs::path programs = root.Path() / "programs";
        for (const char* kind : {"Read_Expander", "Middle_Expander", "View_Expander", "Scheduler_Expander"})
            fs::create_directories(programs / kind);
        for (const char* file :
             {"Vistrel", "Read_Expander/Bitload.so", "View_Expander/Picshow.so", "Scheduler_Expander/Clockpace.so"})
            fs::copy_file(BinDir() / file, programs / file);
        list = (root.Path() / "lists" / "Holidays.vist").string();
        std::string output;
        ASSERT_EQ(platform::RunProgram((BinDir() / "vistrelctl").string(), {"new", list}, &output), 0) << output;
    }

    void TearDown() override
    {
        manager.reset();
        portal.reset();
        QDBusConnection::disconnectFromBus(busName);
        bus.Stop();
        xvfb.Stop();
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("NO_AT_BRIDGE");
    }

    // By its address: the bus library reads the session bus's variable once
    // per process, and every test has a bus of its own.
    QDBusConnection Bus() { return QDBusConnection::connectToBus(busAddress, busName); }

    bool PortalRuns()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        call << QStringLiteral("org.freedesktop.portal.Desktop");
        const QDBusMessage reply = Bus().call(call, QDBus::Block, 2000);
        return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
    }

    // Starts the list manager and waits for its window; empty on failure.
    std::string StartManager()
    {
        manager.emplace((root.Path() / "programs" / "Vistrel").string(), std::vector<std::string>{});
        std::optional<std::string> window;
        Eventually([&] { return (window = VisibleWindow({"--name", "^Untitled - Vistrel$"})).has_value(); }, 20s);
        return window.value_or(std::string());
    }

    bool Keys(const std::string& window, const std::vector<std::string>& keys)
    {
        std::vector<std::string> arguments{"windowfocus", "--sync", window, "key", "--delay", "50"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        return platform::RunProgram("xdotool", arguments) == 0;
    }

    // Qt's own file dialog, drawn by the list manager itself.
    std::optional<std::string> OwnDialog()
    {
        return VisibleWindow({"--pid", std::to_string(manager->Pid()), "--name", "^Open$"});
    }

    std::optional<std::string> PortalDialog() { return VisibleWindow({"--class", "^xdg-desktop-portal-gtk$"}); }

    void Screenshot(const std::string& window, const std::string& name)
    {
        const fs::path shot = fs::path(VISTREL_SCREENSHOT_DIR) / name;
        fs::create_directories(shot.parent_path());
        platform::RunProgram("import", {"-window", window, shot.string()});
        EXPECT_TRUE(fs::exists(shot)) << "no screenshot " << shot;
        std::cout << "screenshot: " << shot << "\n";
    }

    vistrel::test::TempDir root;
    vistrel::test::XvfbServer xvfb;
    PrivateSessionBus bus;
    QString busAddress;
    QString busName;
    std::string list;
    std::optional<Child> portal;
    std::optional<Child> manager;
};

} // namespace

TEST_F(ManagerFileDialogs, OpenGoesThroughTheRunningPortal)
{
    // The portal with its GTK back-end, started as a desktop session starts
    // it: the list manager only takes a portal that runs already.
    QDBusMessage version = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    version << QStringLiteral("org.freedesktop.portal.FileChooser") << QStringLiteral("version");
    const QDBusMessage reply = Bus().call(version, QDBus::Block, 20000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        GTEST_SKIP() << "skipped: no desktop portal with a file chooser starts here (xdg-desktop-portal and "
                        "xdg-desktop-portal-gtk): "
                     << reply.errorMessage().toStdString();

    const std::string window = StartManager();
    ASSERT_FALSE(window.empty()) << "no list manager window";
    ASSERT_TRUE(Keys(window, {"ctrl+o"}));
    std::optional<std::string> dialog;
    ASSERT_TRUE(Eventually([&] { return (dialog = PortalDialog()).has_value(); }, 15s))
        << "the portal showed no dialog" << (OwnDialog() ? " (Qt's own dialog came instead)" : "");
    EXPECT_FALSE(OwnDialog()) << "Qt's own dialog showed besides the portal's";
    Screenshot(*dialog, "portal-open-dialog.png");

    // The file typed into GTK's location field opens the list. The pauses
    // are a person's: GTK takes keys only once the dialog and its field are
    // up.
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Keys(*dialog, {"ctrl+l"}));
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(platform::RunProgram("xdotool", {"type", "--delay", "5", list}), 0);
    // Return takes the name; while GTK's completion shows, the first one
    // takes the completion instead.
    Eventually(
        [&] {
            if (!PortalDialog())
                return true;
            Keys(*dialog, {"Return"});
            std::this_thread::sleep_for(400ms);
            return false;
        },
        10s);
    EXPECT_TRUE(Eventually(
        [&] {
            return VisibleWindow({"--name", "^Holidays.vist - Vistrel$"}).has_value();
        },
        10s))
        << "the list chosen in the portal's dialog was not opened";

    // Closed with Escape, as a person does it after a look at it, the
    // dialog is cancelled: no second dialog follows.
    ASSERT_TRUE(Keys(window, {"ctrl+o"}));
    ASSERT_TRUE(Eventually([&] { return (dialog = PortalDialog()).has_value(); }, 15s)) << "no second portal dialog";
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Keys(*dialog, {"Escape"}));
    EXPECT_TRUE(Eventually([&] { return !PortalDialog(); }, 5s)) << "Escape did not close the portal's dialog";
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(OwnDialog()) << "a cancelled portal dialog was followed by Qt's own";
    EXPECT_TRUE(VisibleWindow({"--name", "^Holidays.vist - Vistrel$"}).has_value());
}

TEST_F(ManagerFileDialogs, APortalThatFailsOrHangsLeavesQtsOwnDialog)
{
    portal.emplace(VISTREL_FAILING_PORTAL, std::vector<std::string>{});
    ASSERT_TRUE(Eventually([&] { return PortalRuns(); }, 10s)) << "the failing portal did not come up";

    // The list manager takes the portal; the portal fails the request.
    const std::string window = StartManager();
    ASSERT_FALSE(window.empty()) << "no list manager window";
    ASSERT_TRUE(Keys(window, {"ctrl+o"}));
    std::optional<std::string> dialog;
    ASSERT_TRUE(Eventually([&] { return (dialog = OwnDialog()).has_value(); }, 10s))
        << "a failing portal left the user without a dialog";
    Screenshot(*dialog, "portal-failed-own-dialog.png");
    ASSERT_TRUE(Keys(*dialog, {"Escape"}));
    ASSERT_TRUE(Eventually([&] { return !OwnDialog(); }, 5s));

    // A portal that stopped answering gets no request at all: Qt's portal
    // dialog would wait 25 s for it, showing nothing.
    ASSERT_EQ(::kill(portal->Pid(), SIGSTOP), 0);
    ASSERT_TRUE(Keys(window, {"ctrl+o"}));
    const bool shown = Eventually([&] { return (dialog = OwnDialog()).has_value(); }, 10s);
    ::kill(portal->Pid(), SIGCONT);
    ASSERT_TRUE(shown) << "a portal that hangs left the user without a dialog";
    ASSERT_TRUE(Keys(*dialog, {"Escape"}));
    EXPECT_TRUE(Eventually([&] { return !OwnDialog(); }, 5s));
}
