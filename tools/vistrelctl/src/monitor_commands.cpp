// SPDX-License-Identifier: GPL-3.0-or-later
// `vistrelctl monitors`: the monitors as the wallpaper is composed for them.
#include "cli.h"
#include "json_writer.h"

#include "vistrel/wallpaper/monitors.h"

#include <ostream>

namespace vistrelctl {

using namespace vistrel::wallpaper;

namespace {

// WIDTHxHEIGHT+X+Y, as X11 tools write a geometry.
std::string Geometry(int x, int y, int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height) + (x < 0 ? "" : "+") + std::to_string(x) +
           (y < 0 ? "" : "+") + std::to_string(y);
}

// The work area in the layout's coordinates, like the monitor itself.
Rect WorkRect(const Monitor& m)
{
    return {m.area.x + m.workArea.left, m.area.y + m.workArea.top, m.workArea.right - m.workArea.left,
            m.workArea.bottom - m.workArea.top};
}

std::string JsonRect(const Rect& r)
{
    return "{\"x\": " + std::to_string(r.x) + ", \"y\": " + std::to_string(r.y) +
           ", \"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) + "}";
}

} // namespace

int CommandMonitors(std::ostream& out, const std::vector<std::string>& args)
{
    const bool json = args.size() == 1 && args[0] == "--json";
    if (args.size() > 1 || (args.size() == 1 && !json))
        return UsageError("monitors takes only --json");
    const MonitorLayout layout = QueryMonitors();
    if (json) {
        out << "{\n  \"source\": " << JsonString(MonitorSourceName(layout.from))
            << ",\n  \"choice\": " << JsonString(MonitorChoiceName(ReadMonitorChoice())) << ",\n  \"monitors\": [";
        for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
            const Monitor& m = layout.monitors[i];
            out << (i ? "," : "") << "\n    {\"name\": " << JsonString(m.name) << ", \"x\": " << m.area.x
                << ", \"y\": " << m.area.y << ", \"width\": " << m.area.width << ", \"height\": " << m.area.height
                << ", \"primary\": " << (m.primary ? "true" : "false") << ", \"workarea\": " << JsonRect(WorkRect(m))
                << "}";
        }
        out << "\n  ]\n}\n";
        return kSuccess;
    }
    for (const Monitor& m : layout.monitors) {
        const Rect work = WorkRect(m);
        out << m.name << " " << Geometry(m.area.x, m.area.y, m.area.width, m.area.height)
            << (m.primary ? " primary" : "") << " work " << Geometry(work.x, work.y, work.width, work.height) << "\n";
    }
    return kSuccess;
}

} // namespace vistrelctl
