// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon as the scheduler's programs use it: status by
// resource id (icon and tooltip), hide and show, and a message beside the
// icon. The Qt program and the Win32 program each give their own; the icon
// and the tooltip set while hidden come back with the next show.
#pragma once

#include <string>

namespace vistrel::scheduler {

class StatusTray {
public:
    virtual ~StatusTray() = default;
    virtual void SetIcon(int iconId) = 0;
    virtual void SetTooltip(int stringId) = 0;
    virtual void Hide() = 0;
    virtual void Show() = 0;
    // Brings back an icon that a restarted panel or taskbar lost.
    virtual void Refresh() = 0;
    // A message from the icon (a balloon, a notification), as a warning.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
};

} // namespace vistrel::scheduler
