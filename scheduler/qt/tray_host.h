// SPDX-License-Identifier: GPL-3.0-or-later
// What kind of notification area the desktop offers. StatusNotifier hosts
// keep an application's icon across a panel restart by themselves; an XEmbed
// tray (the older X11 protocol) forgets it, so the scheduler has to add its
// icon again, but only when the tray itself was replaced, so that the icon
// does not flicker or move in the panel at every poll.
#pragma once

#include <cstdint>

namespace vistrel::scheduler {

class TrayHost {
public:
    // Whether icons are embedded by the XEmbed protocol.
    static bool UsesXEmbed();
    // The window that owns the XEmbed tray selection of the primary screen;
    // 0 when there is none (or not on X11).
    static std::uint32_t XEmbedTrayOwner();
};

} // namespace vistrel::scheduler
