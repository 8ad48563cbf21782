// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary files of replacements: what a killed writer left is removed by
// the next save, and nothing else is: not a file another writer still holds,
// not a name that merely looks alike, not another program's file.
#include "test_support.h"

#include "vistrel/platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

std::vector<std::string> Names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(Replacement, ALaterSaveRemovesWhatKilledSavesLeft)
{
    TempDir dir;
    const std::string list = dir.File("L.vist");
    WriteFile(list, "old");
    // Left by writers killed in the middle of a save: unlocked.
    for (const char* left : {".L.vist.a1B2c3", ".L.vist.ZZZZZZ"})
        WriteFile(dir.Path() / left, std::string(4096, 'x'));
    // Not ours to remove: a name of another length or list, a folder and a
    // link named like a left file, and a file another writer still holds.
    for (const char* other : {".L.vist.abc", ".L.vist.abcdefg", ".M.vist.abcdef", "L.vist.abcdef", ".L.vist.ab-def"})
        WriteFile(dir.Path() / other, "keep");
    std::filesystem::create_directory(dir.Path() / ".L.vist.folder");
    std::filesystem::create_symlink(list, dir.Path() / ".L.vist.linked");
    WriteFile(dir.Path() / ".L.vist.inWork", "being written");
    int held = ::open(dir.File(".L.vist.inWork").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    std::string error;
    ASSERT_TRUE(platform::ReplaceFileAtomically(list, "new", error)) << error;
    EXPECT_EQ(ReadFile(list), "new");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{".L.vist.ab-def", ".L.vist.abc", ".L.vist.abcdefg",
                                                           ".L.vist.folder", ".L.vist.inWork", ".L.vist.linked",
                                                           ".M.vist.abcdef", "L.vist", "L.vist.abcdef"}));
    ::close(held);
    ASSERT_TRUE(platform::ReplaceFileAtomically(list, "newer", error, platform::Durability::kReplaceOnly)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.File(".L.vist.inWork"))) << "its writer is gone now";
}
