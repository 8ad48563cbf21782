// SPDX-License-Identifier: GPL-3.0-or-later
// Vistrel_Scheduler: changes the wallpaper from the current image list and
// lives in the notification area. It takes no arguments.
//
// For tests, two environment variables shorten its waits:
//   VISTREL_SCHEDULER_MINUTE_MS   how many milliseconds one minute of
//                                 "ChkNewFileInterval" and "SaveFileInterval"
//                                 lasts (default 60000)
//   VISTREL_SCHEDULER_PICTURE_MS  how long the start-up picture stays
//                                 (default 2000)
#include "scheduler_window.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/instance_guard.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/gui/qt_message_sink.h"
#include "vistrel/platform/paths.h"
#include "vistrel/scheduler/texts.h"

#include <QApplication>
#include <cstdlib>
#include <string>

namespace {

// A positive number from the environment, or `fallback`.
long EnvironmentNumber(const char* name, long fallback)
{
    std::string text = vistrel::platform::Environment(name);
    char* end = nullptr;
    long value = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
    return value > 0 && end && *end == '\0' ? value : fallback;
}

} // namespace

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

    scheduler::WindowTiming timing;
    timing.minuteMs = static_cast<std::uint32_t>(EnvironmentNumber("VISTREL_SCHEDULER_MINUTE_MS", 60000));
    timing.pictureMs = static_cast<int>(EnvironmentNumber("VISTREL_SCHEDULER_PICTURE_MS", 2000));
    int result = 0;
    {
        scheduler::SchedulerWindow window(registry, programDirectory, timing);
        window.show();
        result = QApplication::exec();
    }
    SetMessageSink(nullptr);
    return result;
}
