// SPDX-License-Identifier: GPL-3.0-or-later
// Every fixed text of the list manager, in one table: string resources,
// menu items and buttons by their number, and the captions and labels of
// the window and the dialogs.
#pragma once

#include <string>
#include <string_view>

namespace vistrel::manager {

// The text of a string resource, or of a command's menu item; empty for an
// unknown id.
std::string_view Text(int id);

// A menu text without its "&" marks and without the accelerator after a tab:
// what tool tips and comparisons use.
std::string PlainMenuText(std::string_view text);

namespace texts {
inline constexpr std::string_view kProgramName = "Vistrel";
inline constexpr std::string_view kSchedulerProgramName = "Vistrel_Scheduler";
// The document type: window title, new-document name, filter name, extension.
inline constexpr std::string_view kWindowTitle = "Vistrel";
inline constexpr std::string_view kNewDocumentName = "Vistre";
inline constexpr std::string_view kFilterName = "Vistrel Project";
inline constexpr std::string_view kUntitled = "Untitled";

// Top-level popups of menu 128 and the popups of menu 131.
inline constexpr std::string_view kMenuImageList = "&Image List";
inline constexpr std::string_view kMenuOptions = "&Options";
inline constexpr std::string_view kMenuView = "&View";
inline constexpr std::string_view kMenuHelp = "&Help";
inline constexpr std::string_view kMenuWebResources = "Web resources";
inline constexpr std::string_view kPopupFile = "File";
inline constexpr std::string_view kPopupDirectory = "Directory";
inline constexpr std::string_view kPopupExtenders = "Extenders";
inline constexpr std::string_view kPopupStub = "StubMenu";
inline constexpr std::string_view kPopupListView = "ListView";
inline constexpr std::string_view kPopupAdvanced = "&Advanced...";

// The scheduling bar's button (its command has the menu text "Change scheduling...").
inline constexpr std::string_view kChangeSchedulingButton = "&Change Scheduling... -->";
inline constexpr std::string_view kIndicatorCaps = "CAP";
inline constexpr std::string_view kIndicatorNum = "NUM";

// The help command's question when the help is the manual installed with
// the program rather than a web site's pages.
inline constexpr std::string_view kLocalHelp =
    "The help is Vistrel's manual, installed with it; it opens in your web browser.\nOpen it now?";
// The status bar after a folder was inserted: the folder, and the count
// before it where there is one.
inline constexpr std::string_view kInsertedOne = "1 picture added from %1";
inline constexpr std::string_view kInsertedMany = "%1 pictures added from %2";
inline constexpr std::string_view kInsertedNone = "No pictures added from %1";

// The image list's empty preview.
inline constexpr std::string_view kPreviewEmpty = "Preview Pane\nClick here for a preview";

// The framework's document messages ("%1" is the document's title or path).
inline constexpr std::string_view kAskToSave = "Save changes to %1?";
inline constexpr std::string_view kFailedToSave = "Failed to save document.";
// "Change Now !" that did not change the wallpaper, followed by the reason.
inline constexpr std::string_view kWallpaperNotChanged = "The wallpaper was not changed: ";
// A list file that another program (the scheduler saves its counters into
// it) wrote after this window read it.
inline constexpr std::string_view kDiskChangedOnSave =
    "%1 was changed on disk since it was opened (the scheduler saves its counters into it).\n\n"
    "Save: write your list over it, losing what was written there.\n"
    "Reload: read it again, losing your changes.";
inline constexpr std::string_view kDiskChangedWhileEditing =
    "%1 was changed on disk since it was opened (the scheduler saves its counters into it).\n\n"
    "Reload: read it again, losing your changes.\n"
    "Keep: go on with your changes; saving will write them over it.";
inline constexpr std::string_view kReloadButton = "&Reload";
inline constexpr std::string_view kKeepButton = "&Keep my changes";

// Validation messages of the dialogs.
inline constexpr std::string_view kEnterInteger = "Please enter an integer.";
inline constexpr std::string_view kEnterIntegerBetween = "Please enter an integer between %1 and %2.";

// Dialog 100.
inline constexpr std::string_view kAboutTitle = "About Vistrel";
inline constexpr std::string_view kAboutHomePageButton = "Go to\r\nVistrel \r\nHome page";
inline constexpr std::string_view kAboutBuildOf = "build of ";
inline constexpr std::string_view kOkButton = "OK";
inline constexpr std::string_view kAmpOkButton = "&OK";
inline constexpr std::string_view kCancelButton = "Cancel";

// Dialog 135.
inline constexpr std::string_view kSchedulerOptionsTitle = "Scheduler Options";
inline constexpr std::string_view kCheckEvery = "Check for new list every:";
inline constexpr std::string_view kSaveEvery = "Save List every:";
inline constexpr std::string_view kMinutes = "mins";
inline constexpr std::string_view kActive = "Active";
inline constexpr std::string_view kSchedulerGroup = "Scheduler";
inline constexpr std::string_view kSchedulerNote = "Update to Scheduler state will be effective in few minutes...";
inline constexpr std::string_view kMonitorsGroup = "Monitors";
inline constexpr std::string_view kMonitorsSame = "The same picture, fitted to each monitor";
inline constexpr std::string_view kMonitorsEach = "A picture of its own on each monitor";
inline constexpr std::string_view kMonitorsSpan = "One picture across all monitors";

// Dialog 134.
inline constexpr std::string_view kSetPriorityTitle = "Set Priority";
inline constexpr std::string_view kSetPriorityLabel = "Set Priority for selected items";

// Dialog 132.
inline constexpr std::string_view kExtenderInfoTitle = "Extender Info";

// Dialog 133.
inline constexpr std::string_view kRecursiveInsertTitle = "Recursive Insert file";
inline constexpr std::string_view kFoldersScanned = "Directories Scanned:";
inline constexpr std::string_view kFilesAdded = "Files Added:";

// The roots of the folder tree (the third is the desktop folder's own name).
inline constexpr std::string_view kTreeExtenders = "Extenders";
inline constexpr std::string_view kTreeDrives = "Drives";
} // namespace texts

} // namespace vistrel::manager
