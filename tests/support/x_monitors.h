// SPDX-License-Identifier: GPL-3.0-or-later
// Monitors declared on a running X server, as "xrandr --setmonitor" does: the
// first one takes over the server's own output, so that the monitors named
// are all the server reports.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <string>
#include <vector>

namespace vistrel::test {

struct XMonitor {
    std::string name;
    int x, y, width, height;
    bool primary;
};

// Replaces the server's monitors by `monitors` (none: the server's own
// output alone again). True when the server took them.
inline bool SetXMonitors(Display* display, const std::vector<XMonitor>& monitors)
{
    Window root = DefaultRootWindow(display);
    int count = 0;
    if (XRRMonitorInfo* old = XRRGetMonitors(display, root, False, &count)) {
        for (int i = 0; i < count; ++i)
            XRRDeleteMonitor(display, root, old[i].name);
        XRRFreeMonitors(old);
    }
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    RROutput output = resources && resources->noutput > 0 ? resources->outputs[0] : 0;
    if (resources)
        XRRFreeScreenResources(resources);
    bool first = true;
    for (const XMonitor& m : monitors) {
        XRRMonitorInfo* info = XRRAllocateMonitor(display, first && output ? 1 : 0);
        info->name = XInternAtom(display, m.name.c_str(), False);
        info->primary = m.primary;
        info->automatic = False;
        info->x = m.x;
        info->y = m.y;
        info->width = m.width;
        info->height = m.height;
        info->mwidth = m.width / 4;
        info->mheight = m.height / 4;
        if (first && output)
            info->outputs[0] = output;
        XRRSetMonitor(display, root, info);
        XRRFreeMonitors(info);
        first = false;
    }
    XSync(display, False);
    count = 0;
    XRRMonitorInfo* now = XRRGetMonitors(display, root, False, &count);
    if (now)
        XRRFreeMonitors(now);
    return monitors.empty() || count == static_cast<int>(monitors.size());
}

} // namespace vistrel::test
