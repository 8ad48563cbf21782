// SPDX-License-Identifier: GPL-3.0-or-later
// The scheduler's numeric identifiers: icons, menu, dialogs, controls,
// commands, strings and timers. Widgets carry their control id as their
// objectName, so tests and tools find them by number. The numbers are
// those of resource_numbers.h, which the Win32 resource script reads too.
#pragma once

#include "vistrel/scheduler/resource_numbers.h"

namespace vistrel::scheduler::ids {

// Icons and pictures.
inline constexpr int kIconActive = VISTREL_IDI_ACTIVE; // also the window's icon
inline constexpr int kIconOff = VISTREL_IDI_OFF;
inline constexpr int kIconChanging = VISTREL_IDI_CHANGING;
inline constexpr int kIconBusy = VISTREL_IDI_BUSY;         // loading or saving the list
inline constexpr int kBitmapPicture = VISTREL_IDB_PICTURE; // the start-up picture

// The tray icon's menu; also the tray icon's own identifier.
inline constexpr int kMenuTray = VISTREL_IDR_TRAY;
inline constexpr unsigned kTrayCallbackMessage = VISTREL_WM_TRAY;

// Dialogs.
inline constexpr int kDialogAbout = VISTREL_IDD_ABOUT;
inline constexpr int kDialogScheduler = VISTREL_IDD_SCHEDULER;
inline constexpr int kDialogPlaceholder = VISTREL_IDD_PLACEHOLDER;

// Controls of the scheduler window.
inline constexpr int kControlList = VISTREL_IDC_LIST;

// Commands (menu items and the scheduler window's buttons).
inline constexpr int kCmdClose = VISTREL_ID_CLOSE;   // "Close Scheduler", "Exit Vistrel"
inline constexpr int kCmdCancel = VISTREL_ID_CANCEL; // the placeholder dialog's Cancel
inline constexpr int kCmdAbout = VISTREL_ID_ABOUT;   // system-menu "&About Vistrel_Scheduler..."
inline constexpr int kCmdHide = VISTREL_ID_HIDE;
inline constexpr int kCmdCheckList = VISTREL_ID_CHECK_LIST;
inline constexpr int kCmdSaveList = VISTREL_ID_SAVE_LIST;
inline constexpr int kCmdLoadList = VISTREL_ID_LOAD_LIST;
// The monitors were added, removed, moved or resized: the pictures shown are
// composed again for them. Sent by the program, never from a menu.
inline constexpr int kCmdRedraw = VISTREL_ID_REDRAW;
inline constexpr int kCmdMoreOptions = VISTREL_ID_MORE_OPTIONS;
inline constexpr int kCmdToggleActive = VISTREL_ID_TOGGLE_ACTIVE;
inline constexpr int kCmdOpenManager = VISTREL_ID_OPEN_MANAGER;
inline constexpr int kCmdChangeNow = VISTREL_ID_CHANGE_NOW;

// Strings.
inline constexpr int kStrAbout = VISTREL_IDS_ABOUT;
inline constexpr int kStrChanging = VISTREL_IDS_CHANGING;
inline constexpr int kStrSaving = VISTREL_IDS_SAVING;
inline constexpr int kStrActive = VISTREL_IDS_ACTIVE;
inline constexpr int kStrOff = VISTREL_IDS_OFF;
inline constexpr int kStrLoading = VISTREL_IDS_LOADING;

// Timers: the first two send the command of the same number.
inline constexpr int kTimerCheckList = VISTREL_TIMER_CHECK_LIST;
inline constexpr int kTimerSaveList = VISTREL_TIMER_SAVE_LIST;
inline constexpr int kTimerPoll = VISTREL_TIMER_POLL;

} // namespace vistrel::scheduler::ids
