#include "vistrel/scheduler/texts.h"

#include "vistrel/scheduler/resource_ids.h"

#include <array>
#include <utility>

namespace vistrel::scheduler {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 17> kTable{{
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

} // namespace

std::string_view Text(int id)
{
    for (const auto& [key, text] : kTable)
        if (key == id)
            return text;
    return {};
}

} // namespace vistrel::scheduler
