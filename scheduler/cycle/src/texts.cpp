// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/scheduler/texts.h"

#include "vistrel/core/text_table.h"
#include "vistrel/scheduler/resource_ids.h"

#include <array>

namespace vistrel::scheduler {

namespace {

constexpr std::array<TextEntry, 17> kTable{{
    {ids::kStrAbout, "&About Vistrel_Scheduler..."},
    {ids::kStrChanging, "changing..."},
    {ids::kStrSaving, "Saving list..."},
    {ids::kStrActive, "Vistrel Scheduler Active"},
    {ids::kStrOff, "Vistrel Scheduler OFF"},
    {ids::kStrLoading, "Loading list..."},
    {ids::kCmdToggleActive, "Scheduler ON/OFF"},
    {ids::kCmdOpenManager, "Open List Manager"},
    {ids::kCmdMoreOptions, "More Options..."},
    {ids::kCmdChangeNow, "Change Now"},
    {ids::kCmdClose, "Close Scheduler"},
    {ids::kCmdHide, "&Hide"},
    {ids::kCmdCheckList, "Chk New List"},
    {ids::kCmdSaveList, "Save List"},
    {ids::kCmdLoadList, "Ld Cur List"},
    {ids::kCmdCancel, "Cancel"},
    {ids::kCmdAbout, "&About Vistrel_Scheduler..."},
}};
static_assert(IdsAreUnique(kTable));

} // namespace

std::string_view Text(int id) { return FindText(kTable, id); }

} // namespace vistrel::scheduler
