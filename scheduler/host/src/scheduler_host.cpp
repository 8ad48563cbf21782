// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/scheduler/scheduler_host.h"

#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/platform/process.h"
#include "vistrel/scheduler/resource_ids.h"
#include "vistrel/scheduler/texts.h"

#include <cstdio>
#include <cstdlib>

namespace vistrel::scheduler {

namespace {

// A positive number from the environment, or `fallback`.
long EnvironmentNumber(const char* name, long fallback)
{
    std::string text = platform::Environment(name);
    char* end = nullptr;
    long value = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
    return value > 0 && end && *end == '\0' ? value : fallback;
}

} // namespace

HostTiming TimingFromEnvironment()
{
    HostTiming timing;
    timing.minuteMs = static_cast<std::uint32_t>(EnvironmentNumber("VISTREL_SCHEDULER_MINUTE_MS", timing.minuteMs));
    timing.pictureMs = static_cast<int>(EnvironmentNumber("VISTREL_SCHEDULER_PICTURE_MS", timing.pictureMs));
    return timing;
}

SchedulerHost::SchedulerHost(const CExtenderRegistry& registry, const std::string& programDirectory, HostTiming timing,
                             StatusTray& tray)
    : tray_(tray), timing_(timing), cycle_(registry, files_, *this, CycleOptions{programDirectory, timing.minuteMs, {}})
{
}

SchedulerHost::~SchedulerHost() = default;

void SchedulerHost::Start()
{
    tray_.Show();
    cycle_.RefreshActive(false);
    RunLater(std::chrono::milliseconds(0), ids::kCmdHide);
}

void SchedulerHost::RunCommand(int id)
{
    if (closing_)
        return;
    switch (id) {
    case ids::kCmdClose:
        if (cycle_.Busy()) {
            // Chosen while a change or a load runs (waiting between its
            // attempts, or showing a message): it stops at its next wait,
            // and the close follows.
            cycle_.RequestStop();
            RunLater(kCloseRetry, ids::kCmdClose);
            break;
        }
        closing_ = true;
        cycle_.Close();
        tray_.Hide();
        Quit();
        break;
    case ids::kCmdHide: HideAfterPicture(); break;
    case ids::kCmdCheckList: cycle_.CheckForNewList(); break;
    case ids::kCmdSaveList: cycle_.SaveList(); break;
    case ids::kCmdLoadList: cycle_.LoadAndArm(); break;
    case ids::kCmdAbout: ShowAboutBox(); break;
    case ids::kCmdMoreOptions: ShowPlaceholderDialog(); break;
    case ids::kCmdToggleActive: cycle_.ToggleActive(); break;
    case ids::kCmdOpenManager: cycle_.OpenListManager(); break;
    case ids::kCmdChangeNow: cycle_.ChangeNowCommand(); break;
    case ids::kCmdRedraw:
        // Only the last of several changes in a row redraws.
        if (redrawsPending_ > 0 && --redrawsPending_ > 0)
            break;
        if (cycle_.Busy()) {
            ++redrawsPending_;
            RunLater(kCloseRetry, ids::kCmdRedraw);
            break;
        }
        cycle_.Redraw();
        break;
    default: break;
    }
}

void SchedulerHost::MonitorsChanged()
{
    if (closing_)
        return;
    ++redrawsPending_;
    RunLater(kRedrawDelay, ids::kCmdRedraw);
}

void SchedulerHost::Poll()
{
    if (!closing_)
        cycle_.Poll();
}

void SchedulerHost::ShowStatus(int iconId, int tooltipId)
{
    tray_.SetIcon(iconId);
    tray_.SetTooltip(tooltipId);
}

void SchedulerHost::RefreshTrayIcon() { tray_.Refresh(); }

void SchedulerHost::ReportProblem(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", texts::kProgramName.data(), text.c_str());
    std::fflush(stderr);
    tray_.ShowMessage(std::string(texts::kProgramName), text);
}

bool SchedulerHost::StartProgram(const std::string& path)
{
    // The list manager is a separate part of Vistrel, which an installation
    // may leave out.
    if (!platform::LastWriteTime(path)) {
        ReportProblem(std::string(texts::kManagerNotInstalled) + path);
        return false;
    }
    if (!platform::StartProgram(path)) {
        ReportProblem(std::string(texts::kManagerNotStarted) + path);
        return false;
    }
    return true;
}

} // namespace vistrel::scheduler
