// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/folded_path_index.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/wallpaper_list.h"

#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

TEST(FoldedPathIndex, MatchesWholePathsIgnoringAsciiCaseAtEveryLength)
{
    std::vector<std::string> paths;
    FoldedPathIndex index([&](std::uint32_t row) { return std::string_view(paths[row]); });
    // Lengths around the eight-byte steps of the folding.
    for (std::size_t n = 0; n <= 25; ++n) {
        std::string path = "/Pictures/IMG_ABCDEFGHIJKLMNOP.bmp";
        path = path.substr(0, n);
        paths.push_back(path);
        index.Add(static_cast<std::uint32_t>(paths.size() - 1), path);
    }
    for (std::size_t n = 0; n <= 25; ++n) {
        std::string lower = std::string("/pictures/img_abcdefghijklmnop.BMP").substr(0, n);
        EXPECT_TRUE(index.Contains(lower)) << lower;
        EXPECT_FALSE(index.Contains(lower + "x")) << lower;
    }
    EXPECT_EQ(FoldedPathIndex::Hash("/A/B.BMP"), FoldedPathIndex::Hash("/a/b.bmp"));
    EXPECT_FALSE(FoldedPathIndex::EqualIgnoringCase("/a/[.bmp", "/a/{.bmp")) << "only letters fold";
    EXPECT_FALSE(FoldedPathIndex::EqualIgnoringCase("/\xC3\x89.bmp", "/\xC3\xA9.bmp")) << "nor bytes above 127";
    EXPECT_FALSE(FoldedPathIndex::EqualIgnoringCase(std::string_view("a\0b", 3), "a"));
}

TEST(FoldedPathIndex, GrowsAndKeepsTheFirstRowOfAPath)
{
    std::vector<std::string> paths;
    FoldedPathIndex index([&](std::uint32_t row) { return std::string_view(paths[row]); });
    for (int i = 0; i < 5000; ++i) {
        paths.push_back("/photos/" + std::to_string(i % 2500) + ".bmp");
        index.Add(static_cast<std::uint32_t>(i), paths.back());
    }
    EXPECT_EQ(index.Size(), 2500u);
    for (int i = 0; i < 2500; ++i)
        ASSERT_TRUE(index.Contains("/PHOTOS/" + std::to_string(i) + ".BMP")) << i;
    EXPECT_FALSE(index.Contains("/photos/2500.bmp"));
    index.Clear();
    EXPECT_FALSE(index.Contains("/photos/1.bmp"));
}

namespace {

class Duplicates : public ::testing::Test {
protected:
    void SetUp() override
    {
        programs.AddStandardFakes();
        ASSERT_TRUE(registry.LoadExtenders(programs.Folder()));
        list.Reset();
    }
    RecordingSink sink;
    ProgramDir programs;
    CExtenderRegistry registry;
    CWallpaperList list{&registry};
};

} // namespace

TEST_F(Duplicates, RemovedAndRenamedRowsNoLongerRefuseTheirOldPath)
{
    ASSERT_TRUE(list.InsertFile("/p/A.bmp", true));
    ASSERT_TRUE(list.InsertFile("/p/a.bmp", false)) << "duplicates allowed";
    ASSERT_TRUE(list.InsertFile("/p/b.bmp", true));
    list.DeleteEntry(0);
    EXPECT_FALSE(list.InsertFile("/P/A.BMP", true)) << "the other row still holds it";
    list.DeleteEntry(0);
    EXPECT_TRUE(list.ContainsFile("/p/B.bmp")) << "the row that moved up is still found";
    EXPECT_TRUE(list.InsertFile("/P/A.BMP", true)) << "no row holds it any more";
    list.SetText(0, kColFile, "/q/renamed.bmp");
    EXPECT_TRUE(list.InsertFile("/p/b.bmp", true));
    EXPECT_FALSE(list.InsertFile("/Q/RENAMED.bmp", true));
}

TEST_F(Duplicates, ABatchRefusesDuplicatesWithinItselfInAnyLetterCase)
{
    std::vector<std::string> batch = {"/p/x.bmp", "/p/notes.txt", "/P/X.BMP", "/p/y.bitmap", "/p/x.bmp"};
    EXPECT_EQ(list.InsertFiles(batch, true), 2);
    EXPECT_EQ(list.InsertFiles(batch, true), 0);
    EXPECT_EQ(list.InsertFiles(batch, false), 4) << "only the file no reader claims is left out";
}

TEST_F(Duplicates, BatchInsertsStoreTheSameBytesAsSingleInserts)
{
    // The batch takes each extender's default block once and copies it; the
    // saved list must not tell the two apart.
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back("/photos/" + std::to_string(i) + (i % 3 ? ".bmp" : ".bitmap"));
    CWallpaperList one(&registry);
    one.Reset();
    for (const std::string& p : paths)
        one.InsertFile(p, true);
    EXPECT_EQ(list.InsertFiles(paths, true), 300);
    EXPECT_EQ(StoreList(list), StoreList(one));
    CWallpaperList loaded(&registry);
    loaded.Reset();
    ASSERT_EQ(LoadList(loaded, StoreList(list)), ListLoadStatus::Ok);
    EXPECT_EQ(StoreList(loaded), StoreList(list));
    EXPECT_FALSE(loaded.InsertFile("/PHOTOS/7.BMP", true)) << "a loaded list refuses duplicates too";
}

// Built at once (as after loading a list), the index holds what adding row
// by row gives: every path, the first row of each, and the row a slot holds
// for the prefetching of a batch's look-ups.
TEST(FoldedPathIndex, RebuildAtOnceHoldsWhatAddingRowByRowHolds)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 3000; ++i)
        paths.push_back((i % 3 ? "/photos/" : "/PHOTOS/") + std::to_string(i % 2000) + ".bmp");
    FoldedPathIndex index([&](std::uint32_t row) { return std::string_view(paths[row]); });
    index.Add(0, "/stale.bmp");
    index.Rebuild(static_cast<std::uint32_t>(paths.size()));
    EXPECT_EQ(index.Size(), 2000u);
    EXPECT_FALSE(index.Contains("/stale.bmp"));
    for (int i = 0; i < 2000; ++i) {
        const std::string path = "/Photos/" + std::to_string(i) + ".BMP";
        ASSERT_TRUE(index.Contains(path)) << path;
        index.PrefetchSlot(FoldedPathIndex::Hash(path));
        const std::uint32_t row = index.RowOfSlot(FoldedPathIndex::Hash(path));
        // The first slot holds the path's own row unless another hash came
        // first; a row it names is always the first of its path.
        if (row != FoldedPathIndex::kNoRow) {
            EXPECT_EQ(row, static_cast<std::uint32_t>(i)) << path;
        }
    }
    EXPECT_EQ(index.RowOfSlot(FoldedPathIndex::Hash("/none.bmp")), FoldedPathIndex::kNoRow);
}

// A list read from a file refuses the files it holds, in any letter case,
// and takes new ones, row by row and in batches.
TEST(FoldedPathIndex, ALoadedListRefusesWhatItHolds)
{
    ProgramDir dir;
    dir.AddStandardFakes();
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    TempDir work;
    const std::string file = work.File("l.vist");
    {
        CWallpaperList list(&registry);
        list.Reset();
        std::vector<std::string> paths;
        for (int i = 0; i < 600; ++i)
            paths.push_back("/p/" + std::to_string(i) + ".bmp");
        ASSERT_EQ(list.InsertFiles(paths, true), 600);
        std::string error;
        ASSERT_TRUE(WriteListFile(file, list, error)) << error;
    }
    CWallpaperList list(&registry);
    std::string detail;
    ASSERT_EQ(ReadListFile(file, list, detail), ListLoadStatus::Ok);
    std::vector<std::string> again;
    for (int i = 590; i < 610; ++i)
        again.push_back("/P/" + std::to_string(i) + ".BMP");
    again.push_back("/p/605.bmp"); // a duplicate of one this batch adds
    EXPECT_EQ(list.InsertFiles(again, true), 10);
    EXPECT_FALSE(list.InsertFile("/p/0.Bmp", true));
    EXPECT_TRUE(list.InsertFile("/p/new.bmp", true));
    EXPECT_EQ(list.GetCount(), 611);
}
