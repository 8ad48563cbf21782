// SPDX-License-Identifier: GPL-3.0-or-later
// The extenders' dialogs in a process that has Qt but cannot show a window:
// no application, an application without widgets, or a call from another
// thread. Each call refuses cleanly and leaves the block as it was; none may
// abort the process, as a widget made there would.
#include "environment.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"

#include <QApplication>
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace vistrel;
using namespace vistrel::test;

class DialogsWithoutAWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.LoadExtenders(BinDir().string() + "/"));
        viewer = registry.FindExtenderById("V0001-PICSHOW                ");
        scheduler = registry.FirstScheduler();
        ASSERT_TRUE(viewer && scheduler);
    }

    // Free Pos and Setup on fresh blocks, from the calling thread.
    void ExpectBothRefused()
    {
        gmem::Owner viewerBlock(ext::GetDefParams(viewer)), schedulerBlock(ext::GetDefParams(scheduler));
        ASSERT_TRUE(viewerBlock && schedulerBlock);
        auto bytes = [](const gmem::Owner& b, std::size_t n) {
            return std::string(static_cast<const char*>(b.get()), n);
        };
        std::string viewerBefore = bytes(viewerBlock, 72), schedulerBefore = bytes(schedulerBlock, 64);
        EXPECT_EQ(ext::RunCommand(viewer, viewerBlock.get(), 4), viewerBlock.get());
        EXPECT_EQ(ext::Setup(scheduler, schedulerBlock.get()), schedulerBlock.get());
        EXPECT_EQ(bytes(viewerBlock, 72), viewerBefore);
        EXPECT_EQ(bytes(schedulerBlock, 64), schedulerBefore);
        EXPECT_TRUE(sink.messages.empty());
    }

    ScopedEnvironment platform{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnvironment noDisplay{"DISPLAY", std::nullopt};
    RecordingSink sink;
    CExtenderRegistry registry;
    ExtenderHandle viewer = nullptr;
    ExtenderHandle scheduler = nullptr;
};

TEST_F(DialogsWithoutAWindow, NoApplicationAtAll) { ExpectBothRefused(); }

TEST_F(DialogsWithoutAWindow, AnApplicationWithoutWidgets)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ExpectBothRefused();
}

TEST_F(DialogsWithoutAWindow, ACallFromAnotherThread)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    std::thread worker([this] { ExpectBothRefused(); });
    worker.join();
}

} // namespace
