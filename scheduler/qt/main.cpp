// SPDX-License-Identifier: GPL-3.0-or-later
// Vistrel_Scheduler: changes the wallpaper from the current image list and
// lives in the notification area. It takes no arguments.
// Tests shorten its waits through the environment (TimingFromEnvironment).
#include "scheduler_window.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/instance_guard.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/gui/qt_message_sink.h"
#include "vistrel/platform/paths.h"
#include "vistrel/scheduler/texts.h"

#include <QApplication>
#include <string>

int main(int argc, char** argv)
{
    using namespace vistrel;
    // One scheduler per desktop session; a second start ends at once. The
    // scheduler has no document string, so its guard is named " Class".
    CInstanceGuard guard;
    if (!guard.Acquire(""))
        return 0;

    QApplication app(argc, argv);
    // The window hides after the start-up picture; the program goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    SetProgramName(std::string(scheduler::texts::kProgramName));
    gui::QtMessageSink sink;
    SetMessageSink(&sink);

    std::string programDirectory = platform::ProgramDirectory();
    CExtenderRegistry registry;
    if (!registry.LoadExtenders(programDirectory))
        return 1; // "No Scheduler Extender Found. ..." was shown

    int result = 0;
    {
        scheduler::SchedulerWindow window(registry, programDirectory, scheduler::TimingFromEnvironment());
        window.show();
        result = QApplication::exec();
    }
    SetMessageSink(nullptr);
    return result;
}
