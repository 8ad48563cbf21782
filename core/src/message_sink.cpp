// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/message_sink.h"

#include <cstdio>
#include <mutex>

namespace vistrel {

namespace {

StderrMessageSink g_stderrSink;
MessageSink* g_sink = nullptr;
std::string g_programName = "Vistrel";

} // namespace

int StderrMessageSink::Show(std::string_view text, std::string_view caption, unsigned style)
{
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
    return (style & 0x0Fu) == VISTREL_MB_YESNO ? VISTREL_IDNO : VISTREL_IDOK;
}

void SetMessageSink(MessageSink* sink) { g_sink = sink; }

MessageSink& CurrentMessageSink() { return g_sink ? *g_sink : g_stderrSink; }

void SetProgramName(std::string name) { g_programName = std::move(name); }

const std::string& ProgramName() { return g_programName; }

int ShowMessage(std::string_view text, unsigned style) { return CurrentMessageSink().Show(text, g_programName, style); }

extern "C" int VistrelHostMessage(const char* text, const char* caption, unsigned style)
{
    return CurrentMessageSink().Show(text ? text : "", caption && *caption ? caption : g_programName.c_str(), style);
}

} // namespace vistrel
