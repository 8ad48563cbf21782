// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt programs' message sink: the system's fixed messages as modal
// message boxes, with the icon and the buttons the style asks for.
#pragma once

#include "vistrel/core/message_sink.h"

namespace vistrel::gui {

class QtMessageSink final : public MessageSink {
public:
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
};

} // namespace vistrel::gui
