// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include "vistrel/core/message_sink.h"
#include "vistrel/platform/paths.h"

#include <iostream>

int main(int argc, char** argv)
{
    vistrel::SetProgramName("vistrelctl");
    std::vector<std::string> args(argv + 1, argv + argc);
    return vistrelctl::Run(args, vistrel::platform::ProgramDirectory(), std::cout, true);
}
