// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/list_archive.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

void* GlobalBlock(const char* id, std::uint32_t size)
{
    auto* b = static_cast<std::uint8_t*>(gmem::Alloc(gmem::kFixed | gmem::kZeroInit, size));
    WriteU32(b, size);
    WriteU32(b + 4, 100);
    std::strncpy(reinterpret_cast<char*>(b + 8), id, 30);
    WriteU32(b + 40, 1);
    return b;
}

// The list of the format's worked example: one entry, a 64-byte scheduler
// block and a chain of a 44-byte reader block and a 72-byte viewer block.
void MakeExample(CWallpaperList& list)
{
    list.SetSchedulerBlock(GlobalBlock("T0001-CLOCKPACE              ", 64), 64);
    list.AppendLoadedRow({"C:\\a.bmp", "image", "0", "50", "0"});
    CParamChain chain;
    chain.AppendAndFree(GlobalBlock("R0001-BITLOAD                ", 44));
    chain.AppendAndFree(GlobalBlock("V0001-PICSHOW                ", 72));
    std::size_t length = chain.GetLength();
    list.AppendLoadedChain(chain.Detach(), length);
}

std::string Int32(std::uint32_t v)
{
    char b[4];
    WriteU32(b, v);
    return std::string(b, 4);
}

// Loads into a fresh list; the status and the list come back.
ListLoadStatus Load(const std::string& bytes, CWallpaperList& list)
{
    list.Reset();
    return LoadList(list, bytes);
}

} // namespace

TEST(ListFile, TheWorkedExampleIs240BytesAndRoundTrips)
{
    CWallpaperList list;
    MakeExample(list);
    std::string bytes = StoreList(list);
    ASSERT_EQ(bytes.size(), 240u);
    EXPECT_EQ(bytes.substr(0, 14), std::string("\x0DVistrelDoc V1"));
    EXPECT_EQ(bytes.substr(14, 8), Int32(0) + Int32(64));
    EXPECT_EQ(bytes.substr(86, 8), Int32(1) + Int32(5));
    EXPECT_EQ(bytes.substr(94, 22), std::string("\x08"
                                                "C:\\a.bmp"
                                                "\x05image\x01"
                                                "0\x02"
                                                "50\x01"
                                                "0"));
    EXPECT_EQ(bytes.substr(116, 8), Int32(120) + Int32(2));

    CWallpaperList again;
    ASSERT_EQ(Load(bytes, again), ListLoadStatus::Ok);
    EXPECT_EQ(again.GetRow(0), list.GetRow(0));
    EXPECT_EQ(again.GetChainBytes(0), 120u);
    EXPECT_EQ(StoreList(again), bytes) << "writing a list just read gives the same bytes";
}

TEST(ListFile, EmptyListAndRandomFlagsRoundTrip)
{
    for (std::int32_t flag : {0, 1, -5, 0x12345678}) {
        CWallpaperList list;
        list.SetSchedulerBlock(GlobalBlock("T", 64), 64);
        list.SetRandom(flag);
        std::string bytes = StoreList(list);
        EXPECT_EQ(bytes.size(), 94u);
        EXPECT_EQ(bytes.substr(86), Int32(0) + Int32(5));
        CWallpaperList again;
        ASSERT_EQ(Load(bytes, again), ListLoadStatus::Ok);
        EXPECT_EQ(again.GetRandom(), flag);
        EXPECT_EQ(again.GetCount(), 0);
        EXPECT_EQ(std::memcmp(again.GetSchedulerBlock(), list.GetSchedulerBlock(), 64), 0);
    }
}

// A list kept while no scheduler extender was there has no block: stored as
// length 0, it reads back with its rows and no schedule, byte for byte.
TEST(ListFile, AListWithoutASchedulerBlockReadsBack)
{
    CWallpaperList list;
    MakeExample(list);
    list.SetSchedulerBlock(nullptr, 0);
    std::string bytes = StoreList(list);
    ASSERT_EQ(bytes.size(), 240u - 64);
    EXPECT_EQ(bytes.substr(14, 12), Int32(0) + Int32(0) + Int32(1));

    CWallpaperList again;
    again.SetSchedulerBlock(GlobalBlock("T0001-CLOCKPACE              ", 64), 64); // as Reset leaves it
    ASSERT_EQ(LoadList(again, bytes), ListLoadStatus::Ok);
    EXPECT_EQ(again.GetSchedulerBlock(), nullptr) << "the stored list has no schedule";
    ASSERT_EQ(again.GetCount(), 1);
    EXPECT_EQ(again.GetRow(0), list.GetRow(0));
    EXPECT_EQ(StoreList(again), bytes);
}

TEST(ListArchive, StringLengthFormsAtTheirBoundaries)
{
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    for (const Case& c : {Case{254, "\xFE"}, Case{255, std::string("\xFF\xFF\x00", 3)}, Case{0xFFFD, "\xFF\xFD\xFF"},
                          Case{0xFFFE, "\xFF\xFF\xFF" + Int32(0xFFFE)}, Case{70000, "\xFF\xFF\xFF" + Int32(70000)}}) {
        ArchiveWriter out;
        std::string text(c.length, 'x');
        out.String(text);
        EXPECT_EQ(out.Data().substr(0, c.prefix.size()), c.prefix) << c.length;
        ArchiveReader in(out.Data());
        std::string back;
        ASSERT_TRUE(in.String(back)) << c.length;
        EXPECT_EQ(back, text);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(ListArchive, ReadsTheWideForm)
{
    // 0xFF, 0xFFFE, then 3 characters: "a", "é", and a character outside the BMP.
    std::string wide = std::string("\xFF\xFE\xFF\x04", 4) + std::string("a\0\xE9\0\x3D\xD8\x00\xDE", 8);
    ArchiveReader in(wide);
    std::string text;
    ASSERT_TRUE(in.String(text));
    EXPECT_EQ(text, "a\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(ListFile, WrongMagicShowsTheMessageAndYieldsAnEmptyList)
{
    RecordingSink sink;
    CWallpaperList list;
    std::string bytes = std::string("\x0DVistrelDoc V2") + Int32(7) + Int32(64) + std::string(64, 'z');
    EXPECT_EQ(Load(bytes, list), ListLoadStatus::WrongFormat);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "Wrong File Format");
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetRandom(), 7) << "the flag after the string was read";
    EXPECT_FALSE(LoadedCompletely(ListLoadStatus::WrongFormat));
    EXPECT_EQ(Load("\x0dvistreldoc v1" + Int32(0), list), ListLoadStatus::WrongFormat) << "letter case counts";
}

TEST(ListFile, ZeroLengthFileIsAnEmptyListWithoutAMessage)
{
    RecordingSink sink;
    CWallpaperList list;
    EXPECT_EQ(Load("", list), ListLoadStatus::Empty);
    EXPECT_TRUE(LoadedCompletely(ListLoadStatus::Empty));
    EXPECT_TRUE(sink.messages.empty());
}

TEST(ListFile, EveryTruncationFailsCleanlyAndLeavesNoHalfList)
{
    CWallpaperList example;
    MakeExample(example);
    std::string bytes = StoreList(example);
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        CWallpaperList list;
        ListLoadStatus status = Load(bytes.substr(0, cut), list);
        EXPECT_TRUE(status == ListLoadStatus::EndOfFile || status == ListLoadStatus::Damaged) << cut;
        EXPECT_EQ(list.GetCount(), 0) << cut;
    }
}

TEST(ListFile, LengthsThatLieAreDamageNotAllocations)
{
    std::string head = std::string("\x0DVistrelDoc V1") + Int32(0);
    std::string block(64, '\0');
    WriteU32(block.data(), 64);
    std::string goodHead = head + Int32(64) + block;
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string hugeString = goodHead + Int32(1) + Int32(5) + "\xFF\xFF\xFF" + Int32(0xFFFFFFF0);
    std::string hugeChain =
        goodHead + Int32(1) + Int32(1) + std::string("\x01x", 2) + Int32(0x7FFFFFFF) + std::string(8, '\0');
    std::string chainNotWalking =
        goodHead + Int32(1) + Int32(1) + std::string("\x01x", 2) + Int32(8) + Int32(1) + Int32(40);
    std::string blockSizeMismatch =
        head + Int32(64) + std::string("\x80\0\0\0", 4) + std::string(60, '\0') + Int32(0) + Int32(5);
    for (const Case& c : {
             Case{"scheduler block longer than the file", head + Int32(0xFFFFFF00) + "abc"},
             Case{"string longer than the file", hugeString},
             Case{"row count beyond the file", goodHead + Int32(0x40000000) + Int32(5) + "\x01x"},
             Case{"chain longer than the file", hugeChain},
             Case{"chain whose blocks run past it", chainNotWalking},
             Case{"scheduler block of 8 bytes", head + Int32(8) + std::string(8, '\0') + Int32(0) + Int32(5)},
             Case{"scheduler size word differs", blockSizeMismatch},
         }) {
        CWallpaperList list;
        EXPECT_EQ(Load(c.bytes, list), ListLoadStatus::Damaged) << c.what;
        EXPECT_EQ(list.GetCount(), 0) << c.what;
    }
}

TEST(ListFile, ExtraBytesAndColumnCountsAreTolerated)
{
    CWallpaperList example;
    MakeExample(example);
    std::string bytes = StoreList(example);
    CWallpaperList list;
    ASSERT_EQ(Load(bytes + "leftover of an older, longer file", list), ListLoadStatus::Ok);
    EXPECT_EQ(StoreList(list), bytes);

    // Seven columns: the last two are dropped. Three: the missing ones stay empty.
    std::string seven = bytes.substr(0, 90) + Int32(7) + bytes.substr(94, 22) + "\x01x\x01y" + bytes.substr(116);
    ASSERT_EQ(Load(seven, list), ListLoadStatus::Ok);
    EXPECT_EQ(list.GetRow(0), (RowTexts{"C:\\a.bmp", "image", "0", "50", "0"}));
    std::string three = bytes.substr(0, 90) + Int32(3) + bytes.substr(94, 17) + bytes.substr(116);
    ASSERT_EQ(Load(three, list), ListLoadStatus::Ok);
    EXPECT_EQ(list.GetRow(0), (RowTexts{"C:\\a.bmp", "image", "0", "", ""}));
}

TEST(ListFile, SavesReplaceTheFileWholeOrNotAtAll)
{
    TempDir dir;
    CWallpaperList list;
    MakeExample(list);
    std::string path = dir.File("pictures.vist");
    WriteFile(path, "the old list");
    std::string error;
    ASSERT_TRUE(WriteListFile(path, list, error)) << error;
    EXPECT_EQ(ReadFile(path), StoreList(list));

    std::string missing = dir.File("no such folder/pictures.vist");
    EXPECT_FALSE(WriteListFile(missing, list, error));
    EXPECT_FALSE(error.empty());

    CWallpaperList back;
    std::string detail;
    EXPECT_EQ(ReadListFile(path, back, detail), ListLoadStatus::Ok);
    EXPECT_EQ(ReadListFile(missing, back, detail), ListLoadStatus::Unreadable);
    EXPECT_FALSE(detail.empty());
}

// A save whose bytes the file already holds leaves the file alone, its time
// too (so nobody takes it for a changed list); one byte of difference, even
// at the same size, writes it.
TEST(ListFile, ASaveThatChangesNothingLeavesTheFileAsItIs)
{
    TempDir dir;
    CWallpaperList list;
    MakeExample(list);
    const std::string path = dir.File("pictures.vist");
    std::string error;
    ASSERT_EQ(SaveListFile(path, list, error), ListSave::Written) << error;
    const auto old = std::filesystem::last_write_time(path) - std::chrono::hours(5);
    std::filesystem::last_write_time(path, old);
    EXPECT_EQ(SaveListFile(path, list, error), ListSave::Unchanged);
    EXPECT_TRUE(WriteListFile(path, list, error));
    EXPECT_EQ(std::filesystem::last_write_time(path), old);

    list.SetText(0, kColTotal, "7"); // "0" before: the same size
    EXPECT_EQ(SaveListFile(path, list, error), ListSave::Written);
    EXPECT_NE(std::filesystem::last_write_time(path), old);
    EXPECT_EQ(ReadFile(path), StoreList(list));
}
