// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl and the scheduler load the extenders too: loading them, and even
// asking for their dialogs, must not bring Qt into a process that has none
// (it would cost vistrelctl several times its start-up).
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

using namespace vistrel;
using namespace vistrel::test;

#ifndef _WIN32
bool QtIsLoaded()
{
    for (const char* library : {"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6"}) {
        if (void* h = ::dlopen(library, RTLD_LAZY | RTLD_NOLOAD)) {
            ::dlclose(h);
            return true;
        }
    }
    return false;
}

TEST(ExtendersWithoutQt, LoadingThemAndAskingForTheirDialogsLoadsNoQt)
{
    ASSERT_FALSE(QtIsLoaded()) << "this test program must not link Qt";
    RecordingSink sink;
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(BinDir().string() + "/"));
    EXPECT_FALSE(QtIsLoaded());
    ExtenderHandle viewer = registry.FindExtenderById("V0001-PICSHOW                ");
    ASSERT_TRUE(viewer);
    gmem::Owner viewerBlock(ext::GetDefParams(viewer));
    gmem::Owner schedulerBlock(ext::GetDefParams(registry.FirstScheduler()));
    ext::RunCommand(viewer, viewerBlock.get(), 4);
    ext::Setup(registry.FirstScheduler(), schedulerBlock.get());
    EXPECT_FALSE(QtIsLoaded());
}
#endif

} // namespace
