// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/texts.h"

#include "app/resource_ids.h"
#include "vistrel/core/instance_guard.h"
#include "vistrel/core/text_table.h"

#include <array>
#include <string>

namespace vistrel::manager {

namespace {

constexpr std::array<TextEntry, 46> kTable{{
    {ids::kStrDocument, kDocumentString},
    {ids::kStrOnlineHelp, "Help available only online\nIf you are connected to internet and you still want to "
                          "read the help, click yes."},
    {ids::kStrIdle, "Ready"},
    // Menu 128.
    {ids::kCmdFileNew, "&New\tCtrl+N"},
    {ids::kCmdFileOpen, "&Open...\tCtrl+O"},
    {ids::kCmdFileSave, "&Save\tCtrl+S"},
    {ids::kCmdFileSaveAs, "Save &As..."},
    {ids::kCmdAppExit, "E&xit"},
    {ids::kButtonChangeScheduling, "Change scheduling..."},
    {ids::kCmdSchedulerOptions, "Scheduler Options..."},
    {ids::kCmdAutoPreview, "Auto Preview"},
    {ids::kCmdViewToolbar, "&Main Toolbar"},
    {ids::kCmdViewStatusBar, "&Status Bar"},
    {ids::kCmdViewThumbnails, "&Thumbnails"},
    {ids::kCmdHelpTopics, "&Help Topics"},
    {ids::kCmdAppAbout, "&About Vistrel..."},
    {ids::kCmdWebSite, "Vistrel web site"},
    {ids::kCmdFreePhotos, "Free photos"},
    // Menu 131.
    {ids::kCmdInsert, "Insert"},
    {ids::kCmdInsertDup, "Insert duplicate"},
    {ids::kCmdInsertNoDup, "Insert all items no duplicate"},
    {ids::kCmdInsertAll, "Insert all items"},
    {ids::kCmdExpandCollapse, "Expand/Collapse"},
    {ids::kCmdInsertDialog, "Insert..."},
    {ids::kCmdExtenderInfo, "Info..."},
    {ids::kCmdChangeNow, "Change Now !"},
    {ids::kCmdSelectAll, "Select All"},
    {ids::kCmdDeleteSelected, "Delete Selected"},
    {ids::kCmdSetPriority, "Set Priority..."},
    {ids::kCmdResetShown, "Reset Shown flags"},
    {ids::kCmdResetTotals, "Reset Totals"},
    // Commands that have no menu item of their own, as tool tips.
    {ids::kCmdToggleRandom, "Toggle Random Wallpaper"},
    {ids::kCmdHelp, "Help"},
    {ids::kCmdContextHelp, "Help on what you click next"},
    {ids::kCmdNextPane, "Next pane"},
    {ids::kCmdPrevPane, "Previous pane"},
    {ids::kCmdPreviewLoad, "Preview"},
    // Dialogs, by their number: the titles.
    {ids::kDialogAbout, "About Vistrel"},
    {ids::kDialogExtenderInfo, "Extender Info"},
    {ids::kDialogRecursiveInsert, "Recursive Insert file"},
    {ids::kDialogSetPriority, "Set Priority"},
    {ids::kDialogSchedulerOptions, "Scheduler Options"},
    // The status bar's indicators.
    {ids::kIndicatorCaps, "CAP"},
    {ids::kIndicatorNum, "NUM"},
    {ids::kIdOk, "OK"},
    {ids::kIdCancel, "Cancel"},
}};
static_assert(IdsAreUnique(kTable));

} // namespace

std::string_view Text(int id) { return FindText(kTable, id); }

std::string PlainMenuText(std::string_view text)
{
    std::string plain;
    for (char c : text.substr(0, text.find('\t')))
        if (c != '&')
            plain += c;
    return plain;
}

} // namespace vistrel::manager
