// The list manager's message sink: the system's fixed messages as message boxes.
#pragma once

#include "vistrel/core/message_sink.h"

namespace vistrel::manager {

class QtMessageSink final : public MessageSink {
public:
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
};

} // namespace vistrel::manager
