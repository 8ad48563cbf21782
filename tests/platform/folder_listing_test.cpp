// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/platform/folder_listing.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace vistrel;
using namespace vistrel::test;
using platform::FolderListing;

namespace {

struct Seen {
    std::string name;
    bool isFolder, hidden, isLink;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Entries(const FolderListing& listing)
{
    std::vector<Seen> seen;
    for (std::size_t i = 0; i < listing.Size(); ++i)
        seen.push_back({std::string(listing.Name(i)), listing[i].isFolder, listing[i].hidden, listing[i].isLink});
    return seen;
}

// Entry types as the folder read gives them, or examined one by one.
class FolderListingTypes : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { FolderListing::SetTrustEntryTypes(GetParam()); }
    void TearDown() override { FolderListing::SetTrustEntryTypes(true); }
};

} // namespace

TEST(NameOrder, IgnoresCaseOfAsciiLettersOnlyAndBreaksTiesByBytes)
{
    using platform::CompareIgnoringCase;
    using platform::LessIgnoringCase;
    EXPECT_EQ(CompareIgnoringCase("IMG_0001.BMP", "img_0001.bmp"), 0);
    // Differences before, at and after the eighth byte, and in a short tail.
    EXPECT_LT(CompareIgnoringCase("abcdefgA", "abcdefgB"), 0);
    EXPECT_LT(CompareIgnoringCase("Abcdefgh1", "abcdefgh2"), 0);
    EXPECT_GT(CompareIgnoringCase("abcdefghijklmnoZ", "ABCDEFGHIJKLMNOa"), 0);
    EXPECT_LT(CompareIgnoringCase("ab", "ABC"), 0) << "a prefix comes first";
    EXPECT_GT(CompareIgnoringCase("abcdefghi", "ABCDEFGH"), 0);
    // Letters fold to small ones, so "_" (between the capitals and the small
    // letters) sorts before every letter, as strcasecmp has it.
    EXPECT_LT(CompareIgnoringCase("_a", "A"), 0);
    EXPECT_LT(CompareIgnoringCase("[", "a"), 0);
    // Bytes above 127 are not letters: "É" and "é" differ and sort after ASCII.
    EXPECT_NE(CompareIgnoringCase("\xC3\x89", "\xC3\xA9"), 0);
    EXPECT_GT(CompareIgnoringCase("\xC3\xA9.bmp", "z.bmp"), 0);
    EXPECT_TRUE(LessIgnoringCase("A.bmp", "a.bmp")) << "equal but for case: by bytes";
    EXPECT_FALSE(LessIgnoringCase("a.bmp", "A.bmp"));
}

TEST(FolderListing, AMissingFolderListsNothingAndAListingIsReusable)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "big");
    for (int i = 0; i < 300; ++i)
        WriteFile(dir.Path() / "big" / ("file with a long name number " + std::to_string(i)), "");
    std::filesystem::create_directories(dir.Path() / "small");
    WriteFile(dir.Path() / "small" / "only", "");

    FolderListing listing;
    EXPECT_FALSE(listing.Read(dir.File("missing")));
    EXPECT_EQ(listing.Size(), 0u);
    EXPECT_FALSE(listing.Read("")) << "an empty path is not the current folder";
    ASSERT_TRUE(listing.Read(dir.File("big")));
    EXPECT_EQ(listing.Size(), 300u);
    ASSERT_TRUE(listing.Read(dir.File("small")));
    EXPECT_EQ(Entries(listing), (std::vector<Seen>{{"only", false, false, false}}));
}

TEST_P(FolderListingTypes, ListsEveryEntryButDotsSortedIgnoringCase)
{
    TempDir dir;
    for (const char* name : {"b.bmp", "A.BMP", "a.bmp", ".hidden.bmp", "Zeta.txt"})
        WriteFile(dir.Path() / name, "");
    std::filesystem::create_directories(dir.Path() / "folder");
    std::filesystem::create_directories(dir.Path() / ".config");
    FolderListing listing;
    ASSERT_TRUE(listing.Read(dir.Folder()));
    std::vector<Seen> expected = {{".config", true, true, false},   {".hidden.bmp", false, true, false},
                                  {"A.BMP", false, false, false},   {"a.bmp", false, false, false},
                                  {"b.bmp", false, false, false},   {"folder", true, false, false},
                                  {"Zeta.txt", false, false, false}};
#ifdef _WIN32
    // Windows keeps the file system's order, marks hidden entries by
    // attribute, not by name, and "A.BMP" is "a.bmp" there.
    EXPECT_EQ(listing.Size(), expected.size() - 1);
#else
    EXPECT_EQ(Entries(listing), expected);
#endif
}

#ifndef _WIN32
TEST(FolderListing, NamesSortPastTheirFirstEightBytes)
{
    TempDir dir;
    for (const char* name : {"IMG_0001 b.bmp", "img_0001 A.bmp", "IMG_0001", "IMG_000", "img_0001 a.bmp", "IMG_0002"})
        WriteFile(dir.Path() / name, "");
    FolderListing listing;
    ASSERT_TRUE(listing.Read(dir.Folder()));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < listing.Size(); ++i)
        names.emplace_back(listing.Name(i));
    EXPECT_EQ(names, (std::vector<std::string>{"IMG_000", "IMG_0001", "img_0001 A.bmp", "img_0001 a.bmp",
                                               "IMG_0001 b.bmp", "IMG_0002"}));
}

TEST_P(FolderListingTypes, LinksSayWhereTheyLeadAndBrokenOnesAreLeftOut)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "real");
    WriteFile(dir.Path() / "real" / "x.bmp", "");
    std::filesystem::create_directory_symlink("real", dir.Path() / "to-folder");
    std::filesystem::create_symlink("real/x.bmp", dir.Path() / "to-file.bmp");
    std::filesystem::create_symlink("nowhere", dir.Path() / "broken.bmp");
    std::filesystem::create_directory_symlink("..", dir.Path() / "real" / "loop");
    ASSERT_EQ(::mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
    FolderListing listing;
    ASSERT_TRUE(listing.Read(dir.Folder()));
    // The FIFO is left out: it is no picture file.
    EXPECT_EQ(Entries(listing), (std::vector<Seen>{{"real", true, false, false},
                                                   {"to-file.bmp", false, false, true},
                                                   {"to-folder", true, false, true}}));
    ASSERT_TRUE(listing.Read(dir.File("real")));
    EXPECT_EQ(Entries(listing), (std::vector<Seen>{{"loop", true, false, true}, {"x.bmp", false, false, false}}));
}

TEST(FolderListing, AFolderThatCannotBeSearchedListsNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "locked");
    WriteFile(dir.Path() / "locked" / "x.bmp", "");
    std::filesystem::permissions(dir.Path() / "locked", std::filesystem::perms::owner_read);
    FolderListing listing;
    EXPECT_TRUE(listing.Read(dir.File("locked"))) << "it can be read";
    EXPECT_EQ(listing.Size(), 0u) << "but no entry can be examined";
    std::filesystem::permissions(dir.Path() / "locked", std::filesystem::perms::owner_all);
}
#endif

#ifndef _WIN32
// FIFOs, devices and links to them are no pictures and no folders: a walk
// or the folder tree never offers one to a reader, whose open would wait.
TEST_P(FolderListingTypes, FifosAndDevicesAreLeftOut)
{
    TempDir dir;
    WriteFile(dir.Path() / "photo.jpg", "x");
    ASSERT_EQ(::mkfifo(dir.File("fifo.jpg").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.Path() / "zero.jpg");
    FolderListing listing;
    ASSERT_TRUE(listing.Read(dir.Folder()));
    EXPECT_EQ(Entries(listing), (std::vector<Seen>{{"photo.jpg", false, false, false}}));
}
#endif

INSTANTIATE_TEST_SUITE_P(, FolderListingTypes, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "TypesFromTheListing" : "EveryEntryExamined"; });
