// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl: list files from the command line.
#pragma once

#include "vistrel/core/extender_registry.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vistrelctl {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2, kDamagedList = 3 };

// Runs one command (args exclude the program name) with the extenders found
// below `programDirectory`. Output goes to `out`; messages go through the
// core's message sink.
// `processEnds`: the program ends right after the command (vistrelctl's
// own main), so a large list need not be freed block by block.
int Run(const std::vector<std::string>& args, const std::string& programDirectory, std::ostream& out,
        bool processEnds = false);

std::string Usage();

// What every command has at hand.
struct Context {
    vistrel::CExtenderRegistry registry;
    std::ostream& out;
    bool processEnds = false;
};

// Commands on list files (list_commands.cpp); args start after the command word.
int CommandNew(Context& c, const std::vector<std::string>& args);
int CommandAdd(Context& c, const std::vector<std::string>& args);
int CommandShow(Context& c, const std::vector<std::string>& args);
int CommandPriority(Context& c, const std::vector<std::string>& args);
int CommandRemove(Context& c, const std::vector<std::string>& args);
int CommandResetShown(Context& c, const std::vector<std::string>& args);
int CommandResetTotals(Context& c, const std::vector<std::string>& args);
int CommandRandom(Context& c, const std::vector<std::string>& args);
int CommandMode(Context& c, const std::vector<std::string>& args);
int CommandUse(Context& c, const std::vector<std::string>& args);
int CommandCurrent(Context& c, const std::vector<std::string>& args);

// Commands on images (image_commands.cpp).
int CommandNext(Context& c, const std::vector<std::string>& args);
int CommandCompose(Context& c, const std::vector<std::string>& args);
int CommandScale(Context& c, const std::vector<std::string>& args);

// `monitors [--json]` (monitor_commands.cpp): needs no extenders.
int CommandMonitors(std::ostream& out, const std::vector<std::string>& args);

// Prints a usage error and returns kUsage.
int UsageError(const std::string& what);

} // namespace vistrelctl
