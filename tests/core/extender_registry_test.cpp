// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

TEST(ExtenderRegistry, NoSchedulerExtenderStopsTheProgram)
{
    RecordingSink sink;
    ProgramDir dir;
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakeReader"));
    CExtenderRegistry registry;
    EXPECT_FALSE(registry.LoadExtenders(dir.Folder()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "No Scheduler Extender Found. Appplication can't run.");
    EXPECT_EQ(sink.messages[0].second, VISTREL_MB_OK | VISTREL_MB_ICONHAND);
    EXPECT_EQ(registry.Extenders(ExtenderKind::Reader).size(), 1u) << "the other kinds still loaded";
}

TEST(ExtenderRegistry, ABrokenLibraryIsReportedAndTheRestLoad)
{
    RecordingSink sink;
    ProgramDir dir;
    dir.AddStandardFakes();
    dir.Add("Read_Expander", FakesDir() / LibraryFile("NotALibrary"), LibraryFile("Broken"));
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakeReader2"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ASSERT_EQ(sink.messages.size(), 1u);
    const std::string expected =
        "Can't Open DLL: " + dir.Folder() + "Read_Expander" + platform::PathSeparator() + LibraryFile("Broken") + " - ";
    EXPECT_EQ(sink.messages[0].first.substr(0, expected.size()), expected);
    EXPECT_GT(sink.messages[0].first.size(), expected.size()) << "the system's text follows";
    EXPECT_EQ(registry.Extenders(ExtenderKind::Reader).size(), 2u);
}

TEST(ExtenderRegistry, FirstLoadedReaderWinsAndIdsFindEachExtender)
{
    RecordingSink sink;
    ProgramDir dir;
    dir.AddStandardFakes();
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakeReader2"));
    dir.Add("Middle_Expander", FakesDir() / LibraryFile("FakeMiddle"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ExtenderHandle first = registry.Extenders(ExtenderKind::Reader).at(0);
    ExtenderHandle second = registry.Extenders(ExtenderKind::Reader).at(1);
    EXPECT_STREQ(ext::ID(first), "R0001-FAKEREAD               ");
    EXPECT_EQ(registry.FindReaderForFile("/x/photo.BMP"), first);
    EXPECT_EQ(registry.FindReaderForFile("/x/photo.BITMAP"), first);
    EXPECT_EQ(registry.FindReaderForFile("/x/photo.png"), nullptr);
    EXPECT_EQ(registry.FindExtenderById("R0002-SECONDREAD             "), second);
    EXPECT_EQ(registry.FindExtenderById("R0002-SECONDREAD"), nullptr) << "IDs compare exactly";

    ExtenderHandle middle = registry.FindExtenderById("M0001-FAKEMIDDLE             ");
    EXPECT_TRUE(registry.IsMiddle(middle));
    EXPECT_FALSE(registry.IsReader(middle));
    EXPECT_TRUE(registry.IsScheduler(registry.FirstScheduler()));
    EXPECT_TRUE(registry.IsViewer(registry.FindExtenderById("V0001-FAKEVIEW               ")));

    // A block made by the second reader still finds the second reader.
    void* block = ext::GetDefParams(second);
    EXPECT_EQ(registry.FindExtenderById(BlockId(block)), second);
    gmem::Free(block);
}

TEST(ExtenderRegistry, MissingExportsYieldNothing)
{
    RecordingSink sink;
    ProgramDir dir;
    dir.AddStandardFakes();
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakePartial"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    ExtenderHandle partial = registry.FindReaderForFile("/a.part");
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(ext::GetDefParams(partial), nullptr);
    EXPECT_EQ(ext::ReturnType(partial), nullptr);
    EXPECT_EQ(ext::Read(partial, "/a.part", nullptr), nullptr);
    EXPECT_FALSE(ext::Show(partial, nullptr, nullptr));
    EXPECT_FALSE(ext::DaemonFunction(partial, nullptr));
    EXPECT_EQ(ext::MenuFlagsPosition(partial, nullptr), 0u);
    CWallpaperList list(&registry);
    list.Reset();
    EXPECT_FALSE(list.InsertFile("/a.part", true));
}

TEST(ExtenderRegistry, EndingsMatchAsPlainText)
{
    EXPECT_TRUE(MatchesExtensionList("C:\\PHOTO.BMP", ".bmp\\.bitmap"));
    EXPECT_TRUE(MatchesExtensionList("/x/xbmp", "bmp"));
    EXPECT_TRUE(MatchesExtensionList("/x/a.bitmap", "\\\\.bitmap\\"));
    EXPECT_FALSE(MatchesExtensionList("bmp", ".bmp"));
    EXPECT_FALSE(MatchesExtensionList("/x/a.bmp", ""));
    std::string longList(499, 'z');
    EXPECT_FALSE(MatchesExtensionList("/x/a.bmp", longList + "\\.bmp")) << "only the first 499 characters count";
}

TEST(ProgramDirectory, CommandLineRule)
{
    using platform::ProgramDirectoryFromCommandLine;
    EXPECT_EQ(ProgramDirectoryFromCommandLine("\"C:\\Program Files\\Vistrel\\Vistrel.exe\" a.vist"),
              "C:\\Program Files\\Vistrel\\");
    EXPECT_EQ(ProgramDirectoryFromCommandLine("C:\\Tools\\Vistrel.exe C:\\x\\y.vist"), "C:\\Tools\\");
    EXPECT_EQ(ProgramDirectoryFromCommandLine("Vistrel.exe"), "");
    EXPECT_EQ(ProgramDirectoryFromCommandLine("\"C:\\No closing quote"), "");
    EXPECT_EQ(ProgramDirectoryFromCommandLine(""), "");
    // Never empty for the running program, so nothing loads from the current folder.
    std::string own = platform::ProgramDirectory();
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(platform::IsAbsolutePath(own));
}
