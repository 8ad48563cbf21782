// SPDX-License-Identifier: GPL-3.0-or-later
// Starting another program.
#pragma once

#include <string>
#include <vector>

namespace vistrel::platform {

// Starts `program` (an absolute path) with `arguments`, not waiting for it.
// True when the program was started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments = {});

// Runs `program` (looked up on PATH when it has no separator) with
// `arguments`, waits for it and returns its exit status; -1 when it could not
// be started. Standard output (its first 16 MiB) is captured into `output`
// when given, and its error output (its first 64 KiB) into `errors`;
// otherwise they are ours.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments, std::string* output = nullptr,
               std::string* errors = nullptr);

// The file name of a program on PATH, or empty.
std::string FindOnPath(const std::string& program);

} // namespace vistrel::platform
