// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's command line, read the framework's way: options start
// with "-", and the first other argument names a list file to open.
// A second start hands the list it names to the running copy.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace vistrel::manager {

struct CommandLine {
    QString file; // absolute; empty when none was named
};

// `arguments` without the program's own name; relative names are taken from
// the current folder.
CommandLine ParseCommandLine(const QStringList& arguments);

// What a second start sends to the running copy, and what the running copy
// makes of it.
std::string HandOverText(const CommandLine& commandLine);
CommandLine FromHandOver(const std::string& text);

} // namespace vistrel::manager
