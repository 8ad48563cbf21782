// SPDX-License-Identifier: GPL-3.0-or-later
// Clockpace, the scheduler extender: change the wallpaper every so many hours
// and minutes.
#include "interval_rule.h"
#include "setup_dialog.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

#include <cstring>

namespace gmem = vistrel::gmem;

VISTREL_OPERATION(const char*, ID)(void) { return clockpace::kId; }

VISTREL_OPERATION(const char*, version)(void) { return "5.1.0.43 [Apr 25 2000]"; }

VISTREL_OPERATION(const char*, description)(void)
{
    return "Standard Timer Scheduler - Extender\r\n"
           "\r\n"
           "Changes the wallpaper every so many hours and minutes.\r\n"
           "Part of Vistrel, the automatic wallpaper changer.";
}

VISTREL_OPERATION(const char*, shortname)(void) { return "Clockpace"; }

VISTREL_OPERATION(void*, GetDefParams)(void)
{
    auto* block = static_cast<std::uint8_t*>(gmem::Alloc(gmem::kFixed, clockpace::kBlockBytes));
    if (block)
        clockpace::FillDefaultBlock(block);
    return block;
}

VISTREL_OPERATION(void*, Setup)(void* block)
{
    if (block)
        clockpace::RunSetupDialog(static_cast<std::uint8_t*>(block));
    return block;
}

VISTREL_OPERATION(char*, TimeSchedulationDescription)(void* block)
{
    auto* text = static_cast<char*>(gmem::Alloc(gmem::kFixed | gmem::kZeroInit, 400));
    if (!text)
        return nullptr;
    std::string description = clockpace::Describe(static_cast<const std::uint8_t*>(block));
    std::memcpy(text, description.c_str(), description.size() < 399 ? description.size() : 399);
    return text;
}

VISTREL_OPERATION(int, DaemonFunction)(void* block)
{
    return clockpace::IsChangeDue(static_cast<std::uint8_t*>(block), clockpace::LocalTicksNow()) ? 1 : 0;
}

// The program's message sink, for the setup dialog's messages.
VISTREL_OPERATION(void, SetMessageSink)(VistrelMessageFn sink) { clockpace::SetSetupMessageSink(sink); }
