// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's numeric identifiers: the document template, menus,
// dialogs, controls, commands, strings, icons and the preview timer. Widgets
// carry their control id as their objectName and every command (QAction)
// its command id, so tests and users' scripts find them by number.
#pragma once

namespace vistrel::manager::ids {

// The document template: document string, main menu, accelerators, the
// program's icon, the toolbar and the scheduling bar.
inline constexpr int kMainFrame = 128;
// The context menus of the panes; its fifth popup is the image list's.
inline constexpr int kMenuContext = 131;
inline constexpr int kPopupFile = 0;
inline constexpr int kPopupDirectory = 1;
inline constexpr int kPopupExtenders = 2;
inline constexpr int kPopupStub = 3;
inline constexpr int kPopupListView = 4;

// Icons.
inline constexpr int kIconExtendersRoot = 130; // the folder tree's "Extenders" root
inline constexpr int kIconSchedulerOptions = 138;

// Dialogs.
inline constexpr int kDialogAbout = 100;
inline constexpr int kDialogExtenderInfo = 132;
inline constexpr int kDialogRecursiveInsert = 133;
inline constexpr int kDialogSetPriority = 134;
inline constexpr int kDialogSchedulerOptions = 135;

// Standard dialog buttons.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Controls.
inline constexpr int kEditDescription = 1000;    // Extender Info
inline constexpr int kEditFoldersScanned = 1003; // Recursive Insert
inline constexpr int kEditFilesAdded = 1004;
inline constexpr int kButtonStopInsert = 1005; // "Cancel" that only asks the walk to stop
inline constexpr int kEditShortName = 1006;
inline constexpr int kEditVersion = 1007;
inline constexpr int kIconExtender = 1008;
inline constexpr int kButtonChangeScheduling = 1009; // the scheduling bar, also a command
inline constexpr int kStaticSchedule = 1010;
inline constexpr int kEditPriority = 1011; // Set Priority
inline constexpr int kSpinPriority = 1012;
inline constexpr int kAboutProgramText = 1013; // the About box's two text fields and its button
inline constexpr int kAboutPartsText = 1014;
inline constexpr int kAboutHomePage = 1020;
inline constexpr int kCheckActive = 1015; // Scheduler Options
inline constexpr int kEditCheckInterval = 1016;
inline constexpr int kEditSaveInterval = 1017;
inline constexpr int kSpinCheckInterval = 1018;
inline constexpr int kSpinSaveInterval = 1019;
inline constexpr int kGroupMonitors = 1021; // Scheduler Options: what the monitors show
inline constexpr int kRadioMonitorsSame = 1022;
inline constexpr int kRadioMonitorsEach = 1023;
inline constexpr int kRadioMonitorsSpan = 1024;

// Panes of the splitters and the bars of the frame.
inline constexpr int kPaneTree = 59648;    // upper left
inline constexpr int kPaneList = 59649;    // right
inline constexpr int kPanePreview = 59664; // lower left
// The right pane's second view, the grid of thumbnails.
inline constexpr int kPaneThumbnails = 59650;
inline constexpr int kBarToolbar = 59392;
inline constexpr int kBarStatus = 59393;
inline constexpr int kBarRebar = 59396;
inline constexpr int kBarScheduling = 59397;
inline constexpr int kIndicatorCaps = 59137;
inline constexpr int kIndicatorNum = 59138;
inline constexpr int kPaneMessage = 0;

// Commands of the program.
inline constexpr int kCmdExtenderInfo = 32001;   // "Info..."
inline constexpr int kCmdInsertDialog = 32002;   // "Insert..."
inline constexpr int kCmdInsertAll = 32003;      // "Insert all items"
inline constexpr int kCmdInsert = 32004;         // "Insert"
inline constexpr int kCmdExpandCollapse = 32006; // "Expand/Collapse"
inline constexpr int kCmdSelectAll = 32007;      // "Select All"
inline constexpr int kCmdDeleteSelected = 32008; // "Delete Selected"
inline constexpr int kCmdChangeNow = 32009;      // "Change Now !"
inline constexpr int kCmdSetPriority = 32010;    // "Set Priority..."
inline constexpr int kCmdResetTotals = 32011;    // "Reset Totals"
inline constexpr int kCmdResetShown = 32012;     // "Reset Shown flags"
inline constexpr int kCmdToggleRandom = 32013;   // the toolbar's random toggle
inline constexpr int kCmdSchedulerOptions = 32014;
inline constexpr int kCmdWebSite = 32020;     // "Vistrel web site"
inline constexpr int kCmdFreePhotos = 32023;  // "Free photos"
inline constexpr int kCmdInsertNoDup = 32026; // "Insert all items no duplicate"
inline constexpr int kCmdInsertDup = 32027;   // "Insert duplicate"
inline constexpr int kCmdPreviewLoad = 32028; // sent to the preview pane by the timer
inline constexpr int kCmdAutoPreview = 32031; // "Auto Preview"

// The framework's commands.
inline constexpr int kCmdFileNew = 57600;
inline constexpr int kCmdFileOpen = 57601;
inline constexpr int kCmdFileSave = 57603;
inline constexpr int kCmdFileSaveAs = 57604;
inline constexpr int kCmdAppAbout = 57664;
inline constexpr int kCmdAppExit = 57665;
inline constexpr int kCmdHelpTopics = 57667;
inline constexpr int kCmdContextHelp = 57669; // Shift+F1
inline constexpr int kCmdHelp = 57670;        // F1
inline constexpr int kCmdNextPane = 57680;    // F6
inline constexpr int kCmdPrevPane = 57681;    // Shift+F6
inline constexpr int kCmdViewToolbar = 59392;
inline constexpr int kCmdViewStatusBar = 59393;
// View → "Thumbnails": the list as a grid of pictures (checked) or as rows.
inline constexpr int kCmdViewThumbnails = 32040;

// The identifiers the extenders' menu commands get, in order.
inline constexpr int kFirstExtenderCommand = 30000;
inline constexpr int kLastExtenderCommand = 31000;

// Strings.
inline constexpr int kStrDocument = 128;
inline constexpr int kStrOnlineHelp = 32022;
inline constexpr int kStrIdle = 57345; // "Ready"

// The automatic preview's one-shot delay timer.
inline constexpr int kTimerPreview = 32030;
inline constexpr int kPreviewDelayMs = 2000;

} // namespace vistrel::manager::ids
