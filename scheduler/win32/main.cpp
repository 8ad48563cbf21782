// SPDX-License-Identifier: GPL-3.0-or-later
// Vistrel_Scheduler.exe: changes the wallpaper from the current image list
// and lives in the taskbar's notification area. It takes no arguments.
// Tests shorten its waits through the environment (TimingFromEnvironment).
#include "message_box_sink.h"
#include "scheduler_window.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/instance_guard.h"
#include "vistrel/platform/paths.h"
#include "vistrel/scheduler/texts.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace vistrel;
    // One scheduler per desktop session: the named mutex " Class" (the
    // scheduler has no document string). A second start ends at once.
    CInstanceGuard guard;
    if (!guard.Acquire(""))
        return 0;

    SetProgramName(std::string(scheduler::texts::kProgramName));
    scheduler::win32::MessageBoxSink sink;
    SetMessageSink(&sink);
    int result = 1;
    if (scheduler::win32::RegisterSchedulerClass(instance)) {
        std::string programDirectory = platform::ProgramDirectory();
        CExtenderRegistry registry;
        // Without a scheduler extender, "No Scheduler Extender Found. ..." was shown.
        if (registry.LoadExtenders(programDirectory)) {
            scheduler::win32::SchedulerWindow window(instance, registry, programDirectory,
                                                     scheduler::TimingFromEnvironment());
            result = window.Run() == 1 ? 0 : 1;
        }
    }
    SetMessageSink(nullptr);
    return result;
}
