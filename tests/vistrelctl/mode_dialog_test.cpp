// vistrelctl mode with a command that opens the viewer's dialog: there is no
// window to show it in, so the command is refused and the list stays as it was.
#include "cli.h"
#include "test_support.h"

#include "vistrel/platform/paths.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

using namespace vistrel;
using namespace vistrel::test;

TEST(VistrelctlMode, ADialogCommandIsRefusedAndChangesNothing)
{
    RecordingSink sink;
    PrivateSettings settings;
    TempDir work;
    std::ostringstream out, err;
    const std::string programDir = BinDir().string() + platform::PathSeparator();
    auto run = [&](std::vector<std::string> args) {
        out.str("");
        return vistrelctl::Run(args, programDir, out);
    };
    std::string list = work.File("L.vist");
    ASSERT_EQ(run({"new", list}), 0);
    for (const char* name : {"1.bmp", "2.bmp"})
        WriteFile(work.Path() / name, "x");
    ASSERT_EQ(run({"add", list, work.File("1.bmp"), work.File("2.bmp")}), 0);
    ASSERT_EQ(run({"mode", list, "2", "fit"}), 0);
    std::string before = ReadFile(list);

    std::streambuf* cerr = std::cerr.rdbuf(err.rdbuf());
    int free = run({"mode", list, "all", "free"});
    int fullName = run({"mode", list, "1", "Free Pos..."});
    std::cerr.rdbuf(cerr);
    EXPECT_EQ(free, vistrelctl::kUsage);
    EXPECT_EQ(fullName, vistrelctl::kUsage);
    EXPECT_EQ(out.str(), "") << "nothing reported as changed";
    EXPECT_NE(err.str().find("\"Free Pos...\" opens a dialog"), std::string::npos) << err.str();
    EXPECT_EQ(ReadFile(list), before);
}

} // namespace
