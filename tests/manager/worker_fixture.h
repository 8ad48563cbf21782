// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the list manager's worker threads share: a registry with
// the shipped bitmap reader, the fake viewer of its type and the shipped
// scheduler, loaded by the real loader from a program directory of their
// own, and an image list on it. No main window: these tests also run in the
// thread checker's build, which builds only the worker parts.
#pragma once

#include "qt_wait.h"
#include "test_support.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/wallpaper_list.h"

#include <gtest/gtest.h>

namespace vistrel::manager::test {

using vistrel::test::Eventually;

class WorkerTest : public ::testing::Test {
protected:
    WorkerTest()
    {
        using vistrel::test::BinDir;
        using vistrel::test::FakesDir;
        using vistrel::test::LibraryFile;
        programDir.Add("Read_Expander", BinDir() / "Read_Expander" / LibraryFile("Bitload"));
        programDir.Add("View_Expander", FakesDir() / LibraryFile("FakeViewer"));
        programDir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        registry.LoadExtenders(programDir.Folder());
        list.Reset();
    }
    ~WorkerTest() override { list.Reset(); }

    std::string File(const std::string& name) const { return home.File(name); }

    vistrel::test::RecordingSink sink;
    vistrel::test::TempDir home;
    vistrel::test::ProgramDir programDir;
    CExtenderRegistry registry;
    CWallpaperList list{&registry};
};

} // namespace vistrel::manager::test
