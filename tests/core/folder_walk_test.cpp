// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/folder_walk.h"
#include "vistrel/core/wallpaper_list.h"
#include "vistrel/platform/folder_listing.h"
#include "vistrel/platform/paths.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace vistrel;
using namespace vistrel::test;

namespace {

std::string Join(const std::filesystem::path& folder, const std::string& relative)
{
    std::string path = folder.string() + platform::PathSeparator() + relative;
    for (char& c : path)
        if (c == '/')
            c = platform::PathSeparator();
    return path;
}

// A tree: files and folders named by their paths relative to the top.
void MakeTree(const std::filesystem::path& top, std::initializer_list<const char*> files)
{
    for (const char* f : files) {
        std::filesystem::path p = top / f;
        std::filesystem::create_directories(p.parent_path());
        WriteFile(p, "");
    }
}

// Hides a file or folder the way its system does: on Linux by its dot name
// already, on Windows by the attribute.
void Hide(const std::filesystem::path& path)
{
#ifdef _WIN32
    ::SetFileAttributesW(path.c_str(), ::GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_HIDDEN);
#else
    (void)path;
#endif
}

// Windows lists in the file system's order, which under test need not be
// sorted; there the walk's order is compared as a set.
std::vector<std::string> InListingOrder(std::vector<std::string> paths)
{
#ifdef _WIN32
    std::sort(paths.begin(), paths.end());
#endif
    return paths;
}

// A walk that records every batch and adds everything offered.
struct RecordingWalk {
    FolderWalk walk;
    std::vector<std::vector<std::string>> batches;
    std::vector<std::string> Offered() const
    {
        std::vector<std::string> all;
        for (const auto& b : batches)
            all.insert(all.end(), b.begin(), b.end());
        return all;
    }
    RecordingWalk()
    {
        walk.onFiles = [this](std::span<const std::string> files) {
            batches.emplace_back(files.begin(), files.end());
            return static_cast<int>(files.size());
        };
    }
};

class WalkTypes : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { platform::FolderListing::SetTrustEntryTypes(GetParam()); }
    void TearDown() override { platform::FolderListing::SetTrustEntryTypes(true); }
};

} // namespace

TEST_P(WalkTypes, DepthFirstInNameOrderSkippingHiddenEntriesAndCountingSubfolders)
{
    TempDir dir;
    MakeTree(dir.Path(), {"b.bmp", "A.BMP", "notes.txt", ".secret.bmp", "sub/c.bitmap", "sub/deeper/d.bmp",
                          "Sub2/e.bmp", ".hidden/f.bmp", ".hidden/inner/g.bmp", "z.bmp"});
    std::filesystem::create_directories(dir.Path() / "empty");
    for (const char* hidden : {".secret.bmp", ".hidden"})
        Hide(dir.Path() / hidden);
    RecordingWalk r;
    EXPECT_TRUE(r.walk.Walk(dir.Path().string()));
    EXPECT_EQ(InListingOrder(r.Offered()),
              InListingOrder({Join(dir.Path(), "A.BMP"), Join(dir.Path(), "b.bmp"), Join(dir.Path(), "notes.txt"),
                              Join(dir.Path(), "sub/c.bitmap"), Join(dir.Path(), "sub/deeper/d.bmp"),
                              Join(dir.Path(), "Sub2/e.bmp"), Join(dir.Path(), "z.bmp")}));
    EXPECT_EQ(r.walk.foldersScanned, 4) << "empty, sub, sub/deeper and Sub2; never the top or a hidden one";
    EXPECT_EQ(r.walk.filesAdded, 7);
}

#ifndef _WIN32
TEST_P(WalkTypes, LinksToFoldersAreNotEnteredSoLoopsEnd)
{
    TempDir dir;
    MakeTree(dir.Path(), {"real/x.bmp"});
    std::filesystem::create_directory_symlink("..", dir.Path() / "real" / "up");
    std::filesystem::create_directory_symlink("real", dir.Path() / "again");
    std::filesystem::create_symlink("real/x.bmp", dir.Path() / "link.bmp");
    std::filesystem::create_symlink("nowhere.bmp", dir.Path() / "broken.bmp");
    RecordingWalk r;
    EXPECT_TRUE(r.walk.Walk(dir.Path().string()));
    EXPECT_EQ(r.Offered(), (std::vector<std::string>{Join(dir.Path(), "link.bmp"), Join(dir.Path(), "real/x.bmp")}))
        << "a link to a file is a file; a broken link is nothing";
    EXPECT_EQ(r.walk.foldersScanned, 1);
}
#endif

INSTANTIATE_TEST_SUITE_P(, WalkTypes, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "TypesFromTheListing" : "EveryEntryExamined"; });

TEST(FolderWalk, BatchesKeepTheOrderAndOnlyWantedFilesAreOffered)
{
    TempDir dir;
    MakeTree(dir.Path(), {"1.bmp", "2.txt", "3.bmp", "a/4.bmp", "a/5.bmp", "b/6.bmp"});
    RecordingWalk r;
    r.walk.batchSize = 2;
    r.walk.wants = [](std::string_view path) { return path.ends_with(".bmp"); };
    // The handler decides what counts as added: here one file of each batch.
    r.walk.onFiles = [&](std::span<const std::string> files) {
        r.batches.emplace_back(files.begin(), files.end());
        return 1;
    };
    std::vector<WalkProgress> reports;
    r.walk.onProgress = [&](const WalkProgress& p) { reports.push_back(p); };
    r.walk.progressInterval = std::chrono::hours(1);
    EXPECT_TRUE(r.walk.Walk(dir.Path().string()));
    ASSERT_EQ(r.batches.size(), 3u);
    EXPECT_EQ(r.batches[0].size(), 2u);
    EXPECT_EQ(r.batches[2].size(), 1u) << "the rest at the end";
    EXPECT_EQ(InListingOrder(r.Offered()),
              InListingOrder({Join(dir.Path(), "1.bmp"), Join(dir.Path(), "3.bmp"), Join(dir.Path(), "a/4.bmp"),
                              Join(dir.Path(), "a/5.bmp"), Join(dir.Path(), "b/6.bmp")}));
    EXPECT_EQ(r.walk.filesAdded, 3);
    // Within the hour no report falls due, so there is exactly the last one.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].foldersScanned, 2);
    EXPECT_EQ(reports[0].filesAdded, 3);
}

TEST(FolderWalk, CancelStopsAfterTheCurrentEntryAndHandsOverWhatWasWalked)
{
    TempDir dir;
    MakeTree(dir.Path(), {"a/1.bmp", "a/2.bmp", "b/3.bmp", "c/4.bmp"});
    RecordingWalk r;
    r.walk.batchSize = 100;
    // The request comes in while the walk is in the second folder.
    r.walk.wants = [&](std::string_view path) {
        if (path.find("3.bmp") != std::string_view::npos)
            r.walk.RequestCancel();
        return true;
    };
    EXPECT_FALSE(r.walk.Walk(dir.Path().string()));
    EXPECT_EQ(r.Offered().size(), 3u) << "the files walked before the request are not lost";
    EXPECT_EQ(r.walk.filesAdded, 3);
    EXPECT_EQ(r.walk.foldersScanned, 2);
    EXPECT_FALSE(r.walk.Walk(dir.Path().string())) << "a cancelled walk stays cancelled";
    EXPECT_EQ(r.Offered().size(), 3u);
}

TEST(FolderWalk, RunsOnAWorkerThreadReportingAtABoundedRateUntilCancelled)
{
    TempDir dir;
    for (int f = 0; f < 40; ++f)
        for (int i = 0; i < 25; ++i)
            MakeTree(dir.Path(), {("f" + std::to_string(f) + "/" + std::to_string(i) + ".bmp").c_str()});
    FolderWalk walk;
    walk.progressInterval = std::chrono::milliseconds(5);
    std::atomic<int> reports{0};
    std::atomic<int> added{0};
    // A slow handler, as a user-interface thread that takes the batches is.
    walk.onFiles = [&](std::span<const std::string> files) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        added += static_cast<int>(files.size());
        return static_cast<int>(files.size());
    };
    walk.batchSize = 16;
    std::vector<std::chrono::steady_clock::time_point> times;
    walk.onProgress = [&](const WalkProgress&) {
        times.push_back(std::chrono::steady_clock::now());
        ++reports;
    };
    bool finished = true;
    std::thread worker([&] { finished = walk.Walk(dir.Path().string()); });
    while (reports.load() < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    walk.RequestCancel();
    worker.join();
    EXPECT_FALSE(finished);
    EXPECT_LT(added.load(), 1000) << "it stopped early";
    EXPECT_EQ(walk.filesAdded, added.load()) << "every batch handed over was counted";
    for (std::size_t i = 1; i + 1 < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], std::chrono::milliseconds(5)) << "report " << i;
}

TEST(RecursiveInsert, CountsFoldersAndFilesAndRefusesDuplicatesTheSecondTime)
{
    RecordingSink sink;
    ProgramDir programs;
    programs.AddStandardFakes();
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(programs.Folder()));
    CWallpaperList list(&registry);
    list.Reset();
    TempDir dir;
    MakeTree(dir.Path(), {"one.bmp", "two.BITMAP", "sub/three.bmp", "sub/other.txt", ".hidden/four.bmp"});
    auto run = [&](bool noDuplicates) {
        FolderWalk walk;
        walk.onFiles = [&](std::span<const std::string> files) { return list.InsertFiles(files, noDuplicates); };
        walk.wants = [&](std::string_view path) { return registry.FindReaderForFile(path) != nullptr; };
        walk.Walk(dir.Path().string());
        return std::pair{walk.foldersScanned, walk.filesAdded};
    };
    Hide(dir.Path() / ".hidden");
    EXPECT_EQ(run(true), std::pair(1, 3));
    ASSERT_EQ(list.GetCount(), 3);
#ifndef _WIN32
    // Files and folders in one pass by name: the subfolder comes before "two".
    EXPECT_EQ(list.GetText(0, kColFile), Join(dir.Path(), "one.bmp"));
    EXPECT_EQ(list.GetText(1, kColFile), Join(dir.Path(), "sub/three.bmp"));
    EXPECT_EQ(list.GetText(2, kColFile), Join(dir.Path(), "two.BITMAP"));
#endif
    EXPECT_EQ(run(true), std::pair(1, 0)) << "with duplicates refused nothing is added";
    EXPECT_EQ(run(false), std::pair(1, 3));
    EXPECT_EQ(list.GetCount(), 6);
}
