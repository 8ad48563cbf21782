// SPDX-License-Identifier: GPL-3.0-or-later
// Every fixed message of the system goes through one sink: a message box in
// the programs, a line on stderr in the command-line tool, a recorder in
// tests. Extenders reach the same sink through the loader.
#pragma once

#include "vistrel_extender.h"

#include <string>
#include <string_view>

namespace vistrel {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows `text` with `caption` in the style (VISTREL_MB_* bits) and returns
    // the button chosen (VISTREL_IDOK, ...).
    virtual int Show(std::string_view text, std::string_view caption, unsigned style) = 0;
};

// Writes "caption: text" lines to stderr and answers OK (or No to questions).
class StderrMessageSink final : public MessageSink {
public:
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
};

// The sink in force (a stderr sink until a program sets its own). Not owned.
void SetMessageSink(MessageSink* sink);
MessageSink& CurrentMessageSink();

// The program's name, the caption of its messages.
void SetProgramName(std::string name);
const std::string& ProgramName();

// Shows a message with the program's name as caption.
int ShowMessage(std::string_view text, unsigned style = VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);

// The C entry the loader hands to extenders; forwards to the current sink.
extern "C" int VistrelHostMessage(const char* text, const char* caption, unsigned style);

} // namespace vistrel
