// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl run in-process on the build tree's own extenders (Bitload,
// Picshow, Clockpace) rather than the fakes: for the commands whose meaning
// comes from the shipped viewer.
#pragma once

#include "cli.h"
#include "test_support.h"

#include "vistrel/platform/paths.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vistrel::test {

class VistrelctlMode : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str("");
        return vistrelctl::Run(args, programDir, out);
    }

    // Makes `list`, "L.vist" in the work folder, holding one placeholder
    // file for each name, in that order.
    void MakeList(const std::vector<std::string>& names)
    {
        list = work.File("L.vist");
        ASSERT_EQ(Run({"new", list}), 0);
        std::vector<std::string> args{"add", list};
        for (const std::string& name : names) {
            WriteFile(work.Path() / name, "x");
            args.push_back(work.File(name));
        }
        ASSERT_EQ(Run(args), 0);
    }

    RecordingSink sink;
    PrivateSettings settings;
    TempDir work;
    std::ostringstream out;
    std::string list;
    const std::string programDir = BinDir().string() + platform::PathSeparator();
};

} // namespace vistrel::test
