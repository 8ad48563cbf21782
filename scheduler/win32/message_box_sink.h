// SPDX-License-Identifier: GPL-3.0-or-later
// The program's messages as Windows message boxes.
#pragma once

#include "vistrel/core/message_sink.h"

namespace vistrel::scheduler::win32 {

class MessageBoxSink final : public MessageSink {
public:
    // The style bits and the buttons' numbers are those of MessageBoxW.
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
};

} // namespace vistrel::scheduler::win32
