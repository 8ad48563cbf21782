// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/folder_contents.h"

#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

std::vector<std::string> Names(const std::vector<platform::FolderEntry>& entries)
{
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    return names;
}

class FolderContentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The readers are chosen here: only the fake reader, which claims
        // ".bmp" and ".bitmap", as the shipped bitmap reader does.
        programs.AddStandardFakes();
        ASSERT_TRUE(registry.LoadExtenders(programs.Folder()));
        ASSERT_EQ(registry.Extenders(ExtenderKind::Reader).size(), 1u);
    }

    RecordingSink sink;
    ProgramDir programs;
    CExtenderRegistry registry;
    TempDir dir;
};

} // namespace

TEST_F(FolderContentsTest, FoldersFirstThenClaimedFilesEachSortedIgnoringCase)
{
    for (const char* name : {"d.exe", "c.jpg", "b.bitmap", "a.BMP"})
        WriteFile(dir.Path() / name, "");
    for (const char* name : {"Zeta", "alpha", "Beta"})
        std::filesystem::create_directories(dir.Path() / name);
    auto contents = ListFolderContents(dir.Path().string(), registry);
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(Names(contents->folders), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
    EXPECT_EQ(Names(contents->files), (std::vector<std::string>{"a.BMP", "b.bitmap"}));
    for (const auto& f : contents->folders)
        EXPECT_TRUE(f.isFolder);
}

#ifndef _WIN32
TEST_F(FolderContentsTest, HiddenEntriesAreNeverListedAndLinksToFoldersAreFolders)
{
    WriteFile(dir.Path() / ".thumb.bmp", "");
    std::filesystem::create_directories(dir.Path() / ".cache");
    std::filesystem::create_directories(dir.Path() / "real");
    std::filesystem::create_directory_symlink("real", dir.Path() / "shortcut");
    auto contents = ListFolderContents(dir.Path().string(), registry);
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(Names(contents->folders), (std::vector<std::string>{"real", "shortcut"}));
    EXPECT_TRUE(contents->folders[1].isLink);
    EXPECT_TRUE(contents->files.empty());
}
#endif

TEST_F(FolderContentsTest, EachCallReadsTheFolderAfresh)
{
    WriteFile(dir.Path() / "first.bmp", "");
    EXPECT_EQ(ListFolderContents(dir.Path().string(), registry)->files.size(), 1u);
    WriteFile(dir.Path() / "second.bmp", "");
    EXPECT_EQ(Names(ListFolderContents(dir.Path().string(), registry)->files),
              (std::vector<std::string>{"first.bmp", "second.bmp"}));
    EXPECT_FALSE(ListFolderContents(dir.File("missing"), registry).has_value());
}
