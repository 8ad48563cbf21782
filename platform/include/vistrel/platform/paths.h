// SPDX-License-Identifier: GPL-3.0-or-later
// Where things live: the program directory, the per-user folders.
#pragma once

#include <string>
#include <string_view>

namespace vistrel::platform {

// The folder a Windows command line names as the program's, with its trailing
// backslash: the text between the leading double quotes, or before the first
// blank, up to and including its last backslash. Empty when there is none.
std::string ProgramDirectoryFromCommandLine(std::string_view commandLine);

// The running program's folder with a trailing separator; the base of the
// extender folders. Never empty: where the command line names no folder, the
// executable's own location is used, so nothing is ever loaded relative to the
// current directory.
std::string ProgramDirectory();

// The running executable's folder with a trailing separator.
std::string ExecutableDirectory();

// The per-user application-data folder (Windows %APPDATA%; elsewhere
// $XDG_DATA_HOME or ~/.local/share), with a trailing separator.
std::string ApplicationDataFolder();

// The per-user configuration folder ($XDG_CONFIG_HOME or ~/.config), with a
// trailing separator; on Windows the application-data folder.
std::string ConfigFolder();

// Where per-session files go ($XDG_RUNTIME_DIR, else the configuration
// folder; on Windows the temporary folder), with a trailing separator.
std::string RuntimeFolder();

// The value of an environment variable, empty when unset.
std::string Environment(const char* name);

char PathSeparator();

} // namespace vistrel::platform
