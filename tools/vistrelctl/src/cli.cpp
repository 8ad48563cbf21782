// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include "vistrel/core/message_sink.h"

#include <functional>
#include <iostream>
#include <map>

namespace vistrelctl {

std::string Usage()
{
    return "usage: vistrelctl COMMAND LIST|IMAGE [ARGUMENTS]\n"
           "\n"
           "  new LIST                          make an empty list file\n"
           "  add LIST PATH... [--allow-duplicates]\n"
           "                                    add image files; folders are walked recursively\n"
           "  show LIST [--json]                print the list\n"
           "  priority LIST ROW|all VALUE       set priorities (1 to 100)\n"
           "  remove LIST ROW...                remove entries\n"
           "  reset-shown LIST [ROW...]         set \"Shown\" back to 0 (all rows when none given)\n"
           "  reset-totals LIST [ROW...]        set \"Total\" back to 0 (all rows when none given)\n"
           "  random LIST on|off                pick entries at random or in order\n"
           "  mode LIST ROW|all... COMMAND     run a viewer command on entries: tile, center, fit,\n"
           "                                    proportioned (any command of the viewer's menu)\n"
           "  use LIST                          make LIST the scheduler's current list\n"
           "  current                           print the scheduler's current list (exit 1 when none)\n"
           "  next LIST                         change the wallpaper now to the list's next entry\n"
           "  compose IMAGE -o OUT.bmp --mode tile|center|fit|proportioned|freepos --screen WxH\n"
           "          [--workarea WxH] [--background RRGGBB] [--rect X,Y,LX,LY] [--no-preserve]\n"
           "          [--border PERCENT | --tiles N]\n"
           "                                    compose IMAGE as the wallpaper for that screen, without\n"
           "                                    installing it (freepos: --border 10-90 centres with a border,\n"
           "                                    --tiles 2-20 tiles, otherwise the rectangle, default 0,0,640,480)\n"
           "  scale IN.bmp OUT.bmp W H [--nearest]\n"
           "                                    resample IN to W x H (area averaging unless --nearest)\n"
           "  monitors [--json]                 print the monitors: name, WIDTHxHEIGHT+X+Y, primary, work area\n"
           "\n"
           "Rows are numbered from 1, as `show` prints them.\n"
           "Exit status: 0 success, 1 failure, 2 usage error, 3 damaged or unreadable list.\n";
}

int UsageError(const std::string& what)
{
    std::cerr << "vistrelctl: " << what << "\n\n" << Usage();
    return kUsage;
}

int Run(const std::vector<std::string>& args, const std::string& programDirectory, std::ostream& out, bool processEnds)
{
    using Command = std::function<int(Context&, const std::vector<std::string>&)>;
    static const std::map<std::string, Command> commands = {
        {"new", CommandNew},
        {"add", CommandAdd},
        {"show", CommandShow},
        {"priority", CommandPriority},
        {"remove", CommandRemove},
        {"reset-shown", CommandResetShown},
        {"reset-totals", CommandResetTotals},
        {"random", CommandRandom},
        {"mode", CommandMode},
        {"use", CommandUse},
        {"current", CommandCurrent},
        {"next", CommandNext},
        {"compose", CommandCompose},
        {"scale", CommandScale},
    };
    if (args.empty())
        return UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << Usage();
        return kSuccess;
    }
    if (args[0] == "monitors")
        return CommandMonitors(out, std::vector<std::string>(args.begin() + 1, args.end()));
    auto command = commands.find(args[0]);
    if (command == commands.end())
        return UsageError("unknown command \"" + args[0] + "\"");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (rest.empty() && args[0] != "current")
        return UsageError("no list file or image given");
    Context context{{}, out, processEnds};
    if (!context.registry.LoadExtenders(programDirectory))
        return kFailure;
    return command->second(context, rest);
}

} // namespace vistrelctl
