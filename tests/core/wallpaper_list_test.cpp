// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/core/crt_random.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/wallpaper_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vistrel;
using namespace vistrel::test;

namespace {

// A list of rows with the given priorities and no chains, for the selection rule.
void AddRows(CWallpaperList& list, std::initializer_list<int> priorities)
{
    for (int p : priorities) {
        list.AppendLoadedRow(
            {"/img/" + std::to_string(list.GetCount()) + ".bmp", "image", "0", std::to_string(p), "0"});
        list.AppendLoadedChain(nullptr, 0);
    }
}

// A seed whose fourth draw gives `wanted` modulo `n`.
std::uint32_t SeedFor(int wanted, int n)
{
    for (std::uint32_t seed = 1;; ++seed) {
        CrtRandom g(seed);
        g.Next();
        g.Next();
        g.Next();
        if (g.Next() % n == wanted)
            return seed;
    }
}

class ListWithExtenders : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.AddStandardFakes();
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
        list.Reset();
        viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    }
    int ShowCount() { return reinterpret_cast<int (*)()>(ext::Lookup(viewer, "FakeShowCount"))(); }
    std::string LastShown() { return reinterpret_cast<const char* (*)()>(ext::Lookup(viewer, "FakeLastShown"))(); }

    RecordingSink sink;
    ProgramDir dir;
    CExtenderRegistry registry;
    CWallpaperList list{&registry};
    ExtenderHandle viewer = nullptr;
};

} // namespace

TEST(CrtRandom, MatchesTheClassicRuntimeSequence)
{
    CrtRandom g(1);
    EXPECT_EQ(g.Next(), 41);
    EXPECT_EQ(g.Next(), 18467);
    EXPECT_EQ(g.Next(), 6334);
    EXPECT_EQ(g.Next(), 26500);
}

TEST(ParseNumber, ReadsLikeAtoi)
{
    EXPECT_EQ(ParseNumber("50"), 50);
    EXPECT_EQ(ParseNumber(" -7x"), -7);
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumber("abc"), 0);
    EXPECT_EQ(ParseNumber("99999999999"), 2147483647);
}

TEST(Selection, EmptyListPicksNothingInBothModes)
{
    CWallpaperList list;
    EXPECT_EQ(list.PickNext(), -1);
    list.SetRandom(1);
    EXPECT_EQ(list.PickNext(), -1);
}

TEST(Selection, SequentialShowsEachEntryOncePerCycleInOrder)
{
    CWallpaperList list;
    AddRows(list, {50, 1, 100});
    std::vector<int> picks;
    for (int i = 0; i < 4; ++i) {
        int pick = list.PickNext();
        picks.push_back(pick);
        list.MarkShown(pick);
        EXPECT_TRUE(list.IsExhausted(pick));
        EXPECT_EQ(list.GetText(pick, kColShown), list.GetText(pick, kColPriority));
    }
    EXPECT_EQ(picks, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(list.GetText(1, kColShown), "0") << "the wrap reset every Shown";
}

TEST(Selection, RandomShowsEntriesUpToTheirPriorityPerCycle)
{
    CWallpaperList list;
    list.SetRandom(1);
    list.SetClock([] { return std::int64_t{1234567}; });
    AddRows(list, {1, 3});
    std::vector<int> shows(2, 0);
    for (int i = 0; i < 4; ++i) {
        int pick = list.PickNext();
        ASSERT_GE(pick, 0);
        ++shows[pick];
        list.MarkShown(pick);
    }
    EXPECT_EQ(shows, (std::vector<int>{1, 3}));
    EXPECT_TRUE(list.IsExhausted(0));
    EXPECT_TRUE(list.IsExhausted(1));
    EXPECT_GE(list.PickNext(), 0);
    EXPECT_EQ(list.GetText(0, kColShown), "0") << "a new cycle began";
    EXPECT_EQ(list.GetText(1, kColShown), "0");
}

TEST(Selection, RandomCountsEligibleEntriesFromTheTop)
{
    CWallpaperList list;
    list.SetRandom(1);
    std::uint32_t seed = SeedFor(4, 5);
    list.SetClock([seed] { return std::int64_t{seed}; });
    AddRows(list, {1, 1, 1, 1, 1});
    for (int i : {0, 2, 4})
        list.MarkShown(i);
    EXPECT_EQ(list.PickNext(), 1) << "position 4 mod 2 of the eligible rows 1 and 3";
}

TEST(Selection, RandomMarkShownClampsToALoweredPriority)
{
    CWallpaperList list;
    list.SetRandom(1);
    AddRows(list, {10});
    list.SetText(0, kColShown, "8");
    list.SetText(0, kColPriority, "3");
    list.MarkShown(0);
    EXPECT_EQ(list.GetText(0, kColShown), "3");
}

TEST(Selection, RandomListWithNoPositivePriorityEnds)
{
    CWallpaperList list;
    list.SetRandom(7);
    AddRows(list, {0, -3});
    EXPECT_EQ(list.PickNext(), -1);
}

TEST_F(ListWithExtenders, InsertRefusesDuplicatesIgnoringCaseAndUnclaimedFiles)
{
    EXPECT_TRUE(list.InsertFile("/pictures/Sea.bmp", true));
    EXPECT_FALSE(list.InsertFile("/PICTURES/sea.BMP", true));
    EXPECT_TRUE(list.InsertFile("/PICTURES/sea.BMP", false));
    EXPECT_TRUE(list.InsertFile("/pictures/hill.BITMAP", true));
    EXPECT_FALSE(list.InsertFile("/pictures/notes.txt", true));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetRow(0), (RowTexts{"/pictures/Sea.bmp", "image", "0", "50", "0"}));

    CParamChain chain;
    ASSERT_TRUE(chain.Attach(list.GetChain(0), list.GetChainBytes(0)));
    EXPECT_EQ(chain.GetCount(), 2);
    EXPECT_EQ(BlockSize(chain.GetBlock(0)), 44u);
    EXPECT_EQ(BlockSize(chain.GetBlock(1)), 72u);
    chain.Detach();

    list.DeleteEntry(0);
    EXPECT_TRUE(list.ContainsFile("/pictures/sea.bmp")) << "the second copy is still there";
    list.DeleteEntry(0);
    EXPECT_TRUE(list.InsertFile("/pictures/sea.bmp", true)) << "deleting the rows forgets the path";
}

TEST(ListInsert, NeedsAViewerOfTheReadersType)
{
    RecordingSink sink;
    ProgramDir dir;
    dir.Add("Read_Expander", FakesDir() / LibraryFile("FakeReader"));
    dir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    CWallpaperList list(&registry);
    list.Reset();
    EXPECT_FALSE(list.InsertFile("/a.bmp", true));
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(ListWithExtenders, ChangeNowReadsShowsAndCounts)
{
    ASSERT_TRUE(list.InsertFile("/pictures/sea.bmp", true));
    ASSERT_TRUE(list.ChangeNow(0));
    EXPECT_EQ(LastShown(), "/pictures/sea.bmp");
    EXPECT_EQ(list.GetText(0, kColTotal), "1");
    EXPECT_EQ(list.GetText(0, kColShown), "50");
    CParamChain chain;
    chain.Attach(list.GetChain(0), list.GetChainBytes(0));
    EXPECT_EQ(chain.GetBlock(0)[42], 0x5A) << "the reader changed its block in place";
    chain.Detach();
}

// Counters come from the file as text: at the largest number they read as
// (2147483647, the largest long where long has 32 bits) they stay there, on
// every platform, instead of overflowing.
TEST_F(ListWithExtenders, CountersStopAtTheLargestNumber)
{
    ASSERT_TRUE(list.InsertFile("/pictures/sea.bmp", true));
    list.SetText(0, kColTotal, "2147483646");
    ASSERT_TRUE(list.ChangeNow(0));
    EXPECT_EQ(list.GetText(0, kColTotal), "2147483647");
    for (const char* total : {"2147483647", "99999999999"}) {
        list.SetText(0, kColTotal, total);
        ASSERT_TRUE(list.ChangeNow(0));
        EXPECT_EQ(list.GetText(0, kColTotal), "2147483647") << total;
    }

    list.SetRandom(1);
    list.SetText(0, kColPriority, "2147483647");
    list.SetText(0, kColShown, "2147483646");
    list.MarkShown(0);
    EXPECT_EQ(list.GetText(0, kColShown), "2147483647");
    list.MarkShown(0);
    EXPECT_EQ(list.GetText(0, kColShown), "2147483647");
    EXPECT_TRUE(list.IsExhausted(0));
}

TEST_F(ListWithExtenders, FailedShowLeavesShownAdvancedAndTotalAlone)
{
    ASSERT_TRUE(list.InsertFile("/pictures/sea.bmp", true));
    CParamChain chain;
    chain.Attach(list.GetChain(0), list.GetChainBytes(0));
    WriteU32(chain.GetBlock(1) + 44, 0xBAD);
    chain.Detach();
    EXPECT_FALSE(list.ChangeNow(0));
    EXPECT_EQ(list.GetText(0, kColTotal), "0");
    EXPECT_EQ(list.GetText(0, kColShown), "50");
    EXPECT_EQ(list.LastChangeError(), "/pictures/sea.bmp could not be shown: this block says 0xBAD")
        << "the viewer's own reason";

    TempDir home;
    const std::string unreadable = home.File("unreadable.bmp");
    {
        std::ofstream(unreadable) << "BM";
    }
    ASSERT_TRUE(list.InsertFile(unreadable, true));
    EXPECT_FALSE(list.ChangeNow(1));
    EXPECT_EQ(list.GetText(1, kColShown), "50");
    EXPECT_EQ(list.LastChangeError(), unreadable + " could not be read") << "a reader that gives no reason";
    EXPECT_EQ(list.LastChangeFailure(), CWallpaperList::Failure::Entry);

    ASSERT_TRUE(list.InsertFile("/pictures/hill.bmp", true));
    ASSERT_TRUE(list.ChangeNow(2));
    EXPECT_EQ(list.LastChangeError(), "");
}

// A desktop that refuses a good picture is no fault of the entry: its Shown
// stays as it was, so that a round is not used up by a desktop that is down.
TEST_F(ListWithExtenders, ADesktopThatRefusesLeavesShownAlone)
{
    ASSERT_TRUE(list.InsertFile("/pictures/sea.bmp", true));
    list.SetText(0, kColShown, "7");
    CParamChain chain;
    chain.Attach(list.GetChain(0), list.GetChainBytes(0));
    WriteU32(chain.GetBlock(1) + 44, 0xDE5C);
    chain.Detach();
    EXPECT_FALSE(list.ChangeNow(0));
    EXPECT_EQ(list.GetText(0, kColShown), "7");
    EXPECT_EQ(list.GetText(0, kColTotal), "0");
    EXPECT_EQ(list.LastChangeFailure(), CWallpaperList::Failure::Desktop);
    EXPECT_EQ(list.LastChangeError(), "/pictures/sea.bmp could not be made the wallpaper: the desktop is not running");
}

// Names that are no picture file are refused before any reader opens them,
// each with its reason; the entry is used up like any that cannot be read.
TEST_F(ListWithExtenders, SpecialFilesAreRefusedWithTheirReason)
{
#ifndef _WIN32
    TempDir home;
    const std::string fifo = home.File("fifo.bmp"), folder = home.File("folder.bmp"), zero = home.File("zero.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::pair<std::string, std::string> cases[] = {
        {fifo, "it is a FIFO, not a file"}, {folder, "it is a folder"}, {zero, "it is a device, not a file"}};
    for (const auto& [path, why] : cases) {
        ASSERT_TRUE(list.InsertFile(path, true));
        const int row = list.GetCount() - 1;
        EXPECT_FALSE(list.ChangeNow(row));
        EXPECT_EQ(list.LastChangeError(), path + " could not be read: " + why);
        EXPECT_EQ(list.LastChangeFailure(), CWallpaperList::Failure::Entry);
        EXPECT_EQ(list.GetText(row, kColShown), "50") << "used up";
        EXPECT_EQ(list.ReadEntryImage(row), nullptr) << "a preview refuses it too";
    }
#endif
}

TEST_F(ListWithExtenders, ChangeNowRefusesShortAndMiddleChains)
{
    ASSERT_TRUE(list.InsertFile("/a.bmp", true));
    ASSERT_TRUE(list.InsertFile("/b.bmp", true));
    {
        CParamChain chain;
        void* slot = list.GetChain(0);
        chain.Attach(slot, list.GetChainBytes(0));
        chain.RemoveLast();
        std::size_t length = chain.GetLength();
        list.StoreChain(0, chain.Detach(), length);
    }
    EXPECT_FALSE(list.ChangeNow(0));
    EXPECT_EQ(list.GetText(0, kColShown), "50") << "shown even though nothing could be shown";

    {
        CParamChain chain;
        chain.Attach(list.GetChain(1), list.GetChainBytes(1));
        std::vector<std::uint8_t> middle(48, 0);
        WriteU32(middle.data(), 48);
        chain.InsertBeforeLast(middle.data(), middle.size());
        std::size_t length = chain.GetLength();
        list.StoreChain(1, chain.Detach(), length);
    }
    int shows = ShowCount();
    EXPECT_FALSE(list.ChangeNow(1));
    EXPECT_EQ(ShowCount(), shows);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "ChangeNow - (Subitems... Work in progress...");
}

TEST_F(ListWithExtenders, PreviewReadsLeaveTheCountersAlone)
{
    ASSERT_TRUE(list.InsertFile("/a.bmp", true));
    gmem::Handle image = list.ReadEntryImage(0);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(gmem::IsMoveable(image));
    gmem::Free(image);
    EXPECT_EQ(list.ReadEntryImage(-1), nullptr);
    image = list.ReadFileImage("/elsewhere/b.bitmap");
    ASSERT_NE(image, nullptr);
    gmem::Free(image);
    EXPECT_EQ(list.ReadFileImage("/elsewhere/b.png"), nullptr);
    EXPECT_EQ(list.GetRow(0), (RowTexts{"/a.bmp", "image", "0", "50", "0"}));
}
