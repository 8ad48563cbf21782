// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 scheduler in-process, with its resources linked in: what the
// resource script puts into the program against the shared text table, the
// tray's notifications, and the scheduler window's run with the real
// Shell_NotifyIconW records. Windows need a display, and the shell calls a
// taskbar to answer them: the Wine desktop test
// (tests/windows/wine_desktop_test.sh) runs this program on its desktop.
#include "scheduler_window.h"
#include "system_tray.h"
#include "test_support.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"
#include "wide_text.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

using namespace vistrel;
using namespace vistrel::scheduler;
using namespace vistrel::scheduler::win32;

namespace {

HINSTANCE Self() { return ::GetModuleHandleW(nullptr); }

std::wstring LoadText(int id)
{
    wchar_t buffer[256] = {};
    int n = ::LoadStringW(Self(), static_cast<UINT>(id), buffer, 256);
    return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// A window that records the commands it receives.
struct CommandTarget {
    CommandTarget()
    {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_COMMAND)
                Commands().push_back(LOWORD(wp));
            return ::DefWindowProcW(w, m, wp, lp);
        };
        type.hInstance = Self();
        type.lpszClassName = L"Vistrel test target";
        ::RegisterClassExW(&type);
        window = ::CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, Self(), nullptr);
        Commands().clear();
    }
    ~CommandTarget() { ::DestroyWindow(window); }
    static std::vector<int>& Commands()
    {
        static std::vector<int> commands;
        return commands;
    }
    HWND window = nullptr;
};

} // namespace

TEST(Win32Resources, TextsMenuIconsAndDialogsAreThoseOfTheTextTable)
{
    for (int id : {ids::kStrAbout, ids::kStrChanging, ids::kStrSaving, ids::kStrActive, ids::kStrOff, ids::kStrLoading})
        EXPECT_EQ(LoadText(id), Wide(Text(id))) << id;

    HMENU menu = ::LoadMenuW(Self(), MAKEINTRESOURCEW(ids::kMenuTray));
    ASSERT_NE(menu, nullptr);
    HMENU popup = ::GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    const std::vector<int> items{ids::kCmdToggleActive, 0, ids::kCmdOpenManager, ids::kCmdMoreOptions,
                                 ids::kCmdChangeNow,    0, ids::kCmdClose};
    ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(items.size()));
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        UINT state = ::GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
        if (items[static_cast<std::size_t>(i)] == 0) {
            EXPECT_TRUE(state & MF_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(static_cast<int>(::GetMenuItemID(popup, i)), items[static_cast<std::size_t>(i)]) << i;
        wchar_t text[64] = {};
        ::GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), Wide(Text(items[static_cast<std::size_t>(i)]))) << i;
        EXPECT_EQ((state & MF_GRAYED) != 0, items[static_cast<std::size_t>(i)] == ids::kCmdMoreOptions) << i;
    }
    ::DestroyMenu(menu);

    for (int id : {ids::kIconActive, ids::kIconOff, ids::kIconChanging, ids::kIconBusy})
        for (int size : {16, 32}) {
            HANDLE icon = ::LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
            EXPECT_NE(icon, nullptr) << id << " at " << size;
            ::DestroyIcon(static_cast<HICON>(icon));
        }
    HANDLE picture = ::LoadImageW(Self(), MAKEINTRESOURCEW(ids::kBitmapPicture), IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(picture, nullptr);
    ::DeleteObject(picture);
    for (int id : {ids::kDialogAbout, ids::kDialogScheduler, ids::kDialogPlaceholder})
        EXPECT_NE(::FindResourceW(Self(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)), nullptr) << id; // RT_DIALOG
}

TEST(Win32Tray, NotificationsOfItsOwnIconBecomeCommandsOfTheTarget)
{
    CommandTarget target;
    CSystemTray tray(Self(), ids::kMenuTray, ids::kTrayCallbackMessage);
    ASSERT_TRUE(tray.Create(target.window));
    // Another icon's double-click, and mouse moves over ours: nothing.
    ::SendMessageW(tray.Window(), ids::kTrayCallbackMessage, 999, WM_LBUTTONDBLCLK);
    ::SendMessageW(tray.Window(), ids::kTrayCallbackMessage, ids::kMenuTray, WM_MOUSEMOVE);
    ::SendMessageW(tray.Window(), ids::kTrayCallbackMessage, ids::kMenuTray, WM_LBUTTONUP);
    EXPECT_TRUE(CommandTarget::Commands().empty());
    // A double-click sends the menu's default item: "Scheduler ON/OFF".
    ::SendMessageW(tray.Window(), ids::kTrayCallbackMessage, ids::kMenuTray, WM_LBUTTONDBLCLK);
    EXPECT_EQ(CommandTarget::Commands(), std::vector<int>{ids::kCmdToggleActive});
}

TEST(Win32Tray, StatusSetWhileHiddenComesBackAndANewTaskbarGetsTheIconAgain)
{
    CommandTarget target;
    CSystemTray tray(Self(), ids::kMenuTray, ids::kTrayCallbackMessage);
    ASSERT_TRUE(tray.Create(target.window));
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::SendMessageW(tray.Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(tray.Adds(), 0) << "a hidden icon stays hidden";

    tray.SetIcon(ids::kIconOff);
    tray.SetTooltip(ids::kStrOff);
    tray.Show();
    EXPECT_EQ(tray.Adds(), 1);
    EXPECT_EQ(tray.CurrentIcon(), ids::kIconOff);
    EXPECT_EQ(tray.Tooltip(), L"Vistrel Scheduler OFF");
    ::SendMessageW(tray.Window(), taskbarCreated, 0, 0);
    EXPECT_EQ(tray.Adds(), 2);
    tray.Hide();
    EXPECT_TRUE(tray.Hidden());

    // A balloon holds at most 255 characters: a longer text ends in "...".
    tray.ShowMessage("Vistrel_Scheduler", std::string(300, 'x'));
    EXPECT_EQ(tray.BalloonTitle(), L"Vistrel_Scheduler");
    EXPECT_EQ(tray.BalloonText(), std::wstring(252, L'x') + L"...");
}

class Win32WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.AddStandardFakes();
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
        ASSERT_TRUE(RegisterSchedulerClass(Self()));
    }
    std::string MakeCurrentList(const std::vector<std::string>& files)
    {
        CWallpaperList entries(&registry);
        entries.Reset();
        for (const std::string& name : files)
            EXPECT_TRUE(entries.InsertFile(lists.File(name), false));
        std::string path = lists.File("a.vist"), error;
        EXPECT_TRUE(WriteListFile(path, entries, error)) << error;
        RecentFileList recent;
        recent.Add(path);
        EXPECT_TRUE(recent.Save());
        return path;
    }
    // Posts `id` to the window after `ms` (calls in the order they are due),
    // from a thread timer that the window's loops (its own and its waits)
    // dispatch; as WM_COMMAND, or as `message` with no parameters.
    static void PostLater(HWND window, UINT ms, int id, UINT message = WM_COMMAND)
    {
        Pending().push_back({window, id, message});
        ::SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR timer, DWORD) {
            ::KillTimer(nullptr, timer);
            Posting post = Pending().front();
            Pending().erase(Pending().begin());
            ::PostMessageW(post.window, post.message, static_cast<WPARAM>(post.id), 0);
        });
    }
    struct Posting {
        HWND window;
        int id;
        UINT message;
    };
    static std::vector<Posting>& Pending()
    {
        static std::vector<Posting> pending;
        return pending;
    }

    test::PrivateSettings settings;
    test::RecordingSink sink;
    test::ProgramDir dir;
    test::TempDir lists;
    CExtenderRegistry registry;
};

// "Change Now" with nothing to change to is told in the icon's balloon;
// "Close Scheduler" ends the window's run and takes the icon away.
TEST_F(Win32WindowTest, AChangeThatCannotBeMadeIsToldInTheBalloon)
{
    std::string list = MakeCurrentList({});
    SchedulerWindow window(Self(), registry, dir.Folder(), HostTiming{0, 60000});
    window.OnStarted([&](SchedulerWindow& w) {
        EXPECT_FALSE(w.Tray().Hidden());
        EXPECT_EQ(w.Tray().CurrentIcon(), ids::kIconActive);
        PostLater(w.Window(), 300, ids::kCmdChangeNow);
        PostLater(w.Window(), 600, ids::kCmdClose);
    });
    EXPECT_EQ(window.Run(), 1);
    EXPECT_EQ(window.Tray().BalloonTitle(), L"Vistrel_Scheduler");
    EXPECT_EQ(window.Tray().BalloonText(), Wide(std::string(texts::kListEmpty) + list));
    EXPECT_TRUE(window.Tray().Hidden()) << "the icon goes with the program";
    EXPECT_FALSE(::IsWindowVisible(window.Window()));
}

// A change whose every attempt fails takes about 10 s. The window waits on
// timers meanwhile: the menu's commands arrive, and "Close Scheduler" ends
// the attempts and the window at once, with a save.
TEST_F(Win32WindowTest, CloseDuringTheAttemptsEndsThemAtOnce)
{
    MakeCurrentList({"unreadable-1.bmp", "unreadable-2.bmp"});
    auto reads =
        reinterpret_cast<int (*)()>(ext::Lookup(registry.Extenders(ExtenderKind::Reader).at(0), "FakeReadCount"));
    const int readsBefore = reads();
    SchedulerWindow window(Self(), registry, dir.Folder(), HostTiming{0, 60000});
    window.OnStarted([&](SchedulerWindow& w) {
        PostLater(w.Window(), 200, ids::kCmdChangeNow);
        PostLater(w.Window(), 800, ids::kCmdClose);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(window.Run(), 1);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(3)) << "closed during the attempts, not after them";
    EXPECT_GT(reads() - readsBefore, 0) << "the attempts had begun";
    EXPECT_LT(reads() - readsBefore, 20) << "no attempts after the close";
    EXPECT_EQ(ReadSchedulerSettings().active, 1u) << "closing is no reason to switch off";
}

// WM_DISPLAYCHANGE: the picture shown last is drawn again for the monitors
// as they are now, once for a burst of changes; the list does not move on.
TEST_F(Win32WindowTest, AChangeOfTheDisplayDrawsThePictureAgainOnce)
{
    MakeCurrentList({"a.bmp", "b.bmp"});
    auto shows =
        reinterpret_cast<int (*)()>(ext::Lookup(registry.Extenders(ExtenderKind::Viewer).at(0), "FakeShowCount"));
    const int showsBefore = shows();
    SchedulerWindow window(Self(), registry, dir.Folder(), HostTiming{0, 60000});
    window.OnStarted([&](SchedulerWindow& w) {
        PostLater(w.Window(), 200, ids::kCmdChangeNow);
        for (UINT ms : {700, 750, 800})
            PostLater(w.Window(), ms, 0, WM_DISPLAYCHANGE);
        PostLater(w.Window(), 2000, ids::kCmdClose);
    });
    EXPECT_EQ(window.Run(), 1);
    EXPECT_EQ(shows() - showsBefore, 2) << "the change, then one redraw";
    EXPECT_EQ(window.Cycle().List().GetText(0, kColShown), "50");
    EXPECT_EQ(window.Cycle().List().GetText(1, kColShown), "0") << "the list did not move on";
}
