// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler's numeric identifiers: icons, menu, dialogs, controls,
// commands, strings and timers. Widgets carry their control id as their
// objectName, so tests and tools find them by number.
#pragma once

namespace vistrel::scheduler::ids {

// Icons and pictures.
inline constexpr int kIconActive = 128; // also the window's icon
inline constexpr int kIconOff = 131;
inline constexpr int kIconChanging = 133;
inline constexpr int kIconBusy = 134;      // loading or saving the list
inline constexpr int kBitmapPicture = 132; // the start-up picture

// The tray icon's menu; also the tray icon's own identifier.
inline constexpr int kMenuTray = 129;
inline constexpr unsigned kTrayCallbackMessage = 1034;

// Dialogs.
inline constexpr int kDialogAbout = 100;
inline constexpr int kDialogScheduler = 102;
inline constexpr int kDialogPlaceholder = 130;

// Controls of the scheduler window.
inline constexpr int kControlList = 1003;

// Commands (menu items and the scheduler window's buttons).
inline constexpr int kCmdClose = 1;  // "Close Scheduler", "Exit Vistrel"
inline constexpr int kCmdCancel = 2; // the placeholder dialog's Cancel
inline constexpr int kCmdAbout = 16; // system-menu "&About Vistrel_Scheduler..."
inline constexpr int kCmdHide = 1002;
inline constexpr int kCmdCheckList = 1004;
inline constexpr int kCmdSaveList = 1005;
inline constexpr int kCmdLoadList = 1006;
// The monitors were added, removed, moved or resized: the pictures shown are
// composed again for them. Sent by the program, never from a menu.
inline constexpr int kCmdRedraw = 1008;
inline constexpr int kCmdMoreOptions = 32771;
inline constexpr int kCmdToggleActive = 32772;
inline constexpr int kCmdOpenManager = 32773;
inline constexpr int kCmdChangeNow = 32774;

// Strings.
inline constexpr int kStrAbout = 101;
inline constexpr int kStrChanging = 32775;
inline constexpr int kStrSaving = 32776;
inline constexpr int kStrActive = 32777;
inline constexpr int kStrOff = 32778;
inline constexpr int kStrLoading = 32779;

// Timers: the first two send the command of the same number.
inline constexpr int kTimerCheckList = 1004;
inline constexpr int kTimerSaveList = 1005;
inline constexpr int kTimerPoll = 1007;

} // namespace vistrel::scheduler::ids
