// SPDX-License-Identifier: GPL-3.0-or-later
// Shrink-on-load between the list and its extenders: readAtLeast and
// NeededSize are used only when the entry's reader and viewer both have
// them; every other pair reads as before.
#include <gtest/gtest.h>

#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/core/wallpaper_list.h"

#include <cstring>

namespace {

using namespace vistrel;
using namespace vistrel::test;

class ShrinkOnLoad : public ::testing::Test {
protected:
    // A program directory with this reader and this viewer only.
    void Load(const std::string& reader, const std::string& viewerName)
    {
        dir.Add("Read_Expander", FakesDir() / LibraryFile(reader));
        dir.Add("View_Expander", FakesDir() / LibraryFile(viewerName));
        dir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
        list.Reset();
        viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    }
    std::string Shown() { return reinterpret_cast<const char* (*)()>(ext::Lookup(viewer, "FakeLastShown"))(); }
    int Questions()
    {
        auto count = reinterpret_cast<int (*)()>(ext::Lookup(viewer, "FakeQuestions"));
        return count ? count() : 0;
    }
    std::string ChangeTo(const std::string& path)
    {
        EXPECT_TRUE(list.InsertFile(path, true));
        EXPECT_TRUE(list.ChangeNow(list.GetCount() - 1));
        return Shown();
    }

    RecordingSink sink;
    ProgramDir dir;
    CExtenderRegistry registry;
    CWallpaperList list{&registry};
    ExtenderHandle viewer = nullptr;
};

TEST_F(ShrinkOnLoad, BothExportsLetTheReaderAskTheViewer)
{
    ASSERT_NO_FATAL_FAILURE(Load("FakeSizedReader", "FakeSizedViewer"));
    EXPECT_TRUE(CanShrinkOnLoad(registry.Extenders(ExtenderKind::Reader).at(0), viewer));
    EXPECT_EQ(ChangeTo("/p/pic-6000x4000.sized"), "readAtLeast 6000x4000 -> 3 3000x2000 123456");
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(list.GetText(0, kColTotal), "1");

    // A mode that shows the picture as it is answers with no size.
    ASSERT_TRUE(list.InsertFile("/p/wide-12000x2000.sized", true));
    CParamChain chain;
    chain.Attach(list.GetChain(1), list.GetChainBytes(1));
    const std::uint32_t asItIs = 1;
    std::memcpy(chain.GetBlock(1) + 44, &asItIs, 4);
    chain.Detach();
    ASSERT_TRUE(list.ChangeNow(1));
    EXPECT_EQ(Shown(), "readAtLeast 12000x2000 -> 2 0x0 123456");
}

TEST_F(ShrinkOnLoad, AReaderWithoutReadAtLeastReadsAsBefore)
{
    ASSERT_NO_FATAL_FAILURE(Load("FakeReader", "FakeSizedViewer"));
    EXPECT_EQ(ChangeTo("/p/pic-6000x4000.bmp"), "/p/pic-6000x4000.bmp");
    EXPECT_EQ(Questions(), 0) << "nobody asked the viewer";
}

TEST_F(ShrinkOnLoad, AViewerWithoutNeededSizeGetsTheWholePicture)
{
    ASSERT_NO_FATAL_FAILURE(Load("FakeSizedReader", "FakeViewer"));
    EXPECT_FALSE(CanShrinkOnLoad(registry.Extenders(ExtenderKind::Reader).at(0), viewer));
    EXPECT_EQ(ChangeTo("/p/pic-6000x4000.sized"), "read /p/pic-6000x4000.sized");
}

TEST_F(ShrinkOnLoad, NeitherExportReadsAsBefore)
{
    ASSERT_NO_FATAL_FAILURE(Load("FakeReader", "FakeViewer"));
    EXPECT_EQ(ChangeTo("/p/sea.bmp"), "/p/sea.bmp");
}

// A host that composes for a screen of its own hands it on; the preview
// reads the whole picture, as before.
TEST_F(ShrinkOnLoad, AGivenScreenReachesTheViewerAndThePreviewReadsWhole)
{
    ASSERT_NO_FATAL_FAILURE(Load("FakeSizedReader", "FakeSizedViewer"));
    ExtenderHandle reader = registry.Extenders(ExtenderKind::Reader).at(0);
    void* readerBlock = ext::GetDefParams(reader);
    void* viewerBlock = ext::GetDefParams(viewer);
    const VistrelScreen screen{800, 600, 800, 560, 0};
    gmem::Owner image(ReadForViewer(reader, readerBlock, viewer, viewerBlock, "/p/x-100x80.sized", &screen));
    ASSERT_TRUE(image);
    EXPECT_EQ(reinterpret_cast<int (*)()>(ext::Lookup(viewer, "FakeScreenWidth"))(), 800);
    gmem::Free(readerBlock);
    gmem::Free(viewerBlock);

    ASSERT_TRUE(list.InsertFile("/p/pic-6000x4000.sized", true));
    gmem::Owner preview(list.ReadEntryImage(0));
    ASSERT_TRUE(preview);
    EXPECT_STREQ(static_cast<const char*>(gmem::Lock(preview.get())), "read /p/pic-6000x4000.sized");
    gmem::Unlock(preview.get());
}

} // namespace
