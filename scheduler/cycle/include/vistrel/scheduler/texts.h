// SPDX-License-Identifier: GPL-3.0-or-later
// Every fixed text of the scheduler, in one table: string resources by their
// number, and the captions of the menu, the dialogs and the window.
#pragma once

#include <string_view>

namespace vistrel::scheduler {

// The text of a string resource or of a command's menu item or button;
// empty for an unknown id.
std::string_view Text(int id);

// Texts that have no number of their own.
namespace texts {
inline constexpr std::string_view kProgramName = "Vistrel_Scheduler";
inline constexpr std::string_view kExitButton = "Exit Vistrel"; // the window's button for command 1
inline constexpr std::string_view kPictureCaption = "The Automatic Wallpaper Changer";
inline constexpr std::string_view kAboutTitle = "About Vistrel_Scheduler";
inline constexpr std::string_view kPlaceholderTitle = "Dialog";
inline constexpr std::string_view kListManagerProgram = "Vistrel";
// Problems the scheduler tells about in a tray message; they name the file.
inline constexpr std::string_view kSaveFailed = "The counters could not be saved into the list file ";
inline constexpr std::string_view kListMissing =
    "The list file is gone, so the counters were not saved; it will be picked up again when it comes back: ";
inline constexpr std::string_view kListNotRead =
    "The list file could not be read completely and will not be written to; it will be picked up again "
    "when it changes: ";
// A change that failed, told once per failed change: after the 101st
// attempt (followed by the last attempt's reason), and for a Change Now that
// had nothing to change to.
inline constexpr std::string_view kChangeGaveUp = "The wallpaper could not be changed in 101 attempts. The last: ";
// The desktop refused a good picture: said with its reason, and the
// scheduler stays on.
inline constexpr std::string_view kDesktopRefused = "The wallpaper was not changed, and the list was left as it was: ";
inline constexpr std::string_view kTriesAgain = " The scheduler tries again at the next change.";
inline constexpr std::string_view kNowOff = " The scheduler is now off; \"Scheduler ON/OFF\" switches it on again.";
inline constexpr std::string_view kNoList =
    "The wallpaper was not changed: no list is chosen (the list manager, or vistrelctl use, chooses one).";
inline constexpr std::string_view kListEmpty = "The wallpaper was not changed: the list has no entries: ";
inline constexpr std::string_view kNonePickable =
    "The wallpaper was not changed: no entry can be picked, every priority is below 1: ";
// "Open List Manager" when the list manager is not beside the scheduler, or
// would not start; followed by its file name.
inline constexpr std::string_view kManagerNotInstalled = "The list manager is not installed: there is no ";
inline constexpr std::string_view kManagerNotStarted = "The list manager could not be started: ";
} // namespace texts

} // namespace vistrel::scheduler
