// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl mode with a command that opens the viewer's dialog: there is no
// window to show it in, so the command is refused and the list stays as it was.
#include "shipped_fixture.h"

#include <iostream>

namespace {

using namespace vistrel;
using namespace vistrel::test;

TEST_F(VistrelctlMode, ADialogCommandIsRefusedAndChangesNothing)
{
    std::ostringstream err;
    ASSERT_NO_FATAL_FAILURE(MakeList({"1.bmp", "2.bmp"}));
    ASSERT_EQ(Run({"mode", list, "2", "fit"}), 0);
    std::string before = ReadFile(list);

    std::streambuf* cerr = std::cerr.rdbuf(err.rdbuf());
    int free = Run({"mode", list, "all", "free"});
    int fullName = Run({"mode", list, "1", "Free Pos..."});
    std::cerr.rdbuf(cerr);
    EXPECT_EQ(free, vistrelctl::kUsage);
    EXPECT_EQ(fullName, vistrelctl::kUsage);
    EXPECT_EQ(out.str(), "") << "nothing reported as changed";
    EXPECT_NE(err.str().find("\"Free Pos...\" opens a dialog"), std::string::npos) << err.str();
    EXPECT_EQ(ReadFile(list), before);
}

} // namespace
