// SPDX-License-Identifier: GPL-3.0-or-later
// Reading previews on the loader's thread: a file through the first reader
// that claims it, an entry through its chain, only the newest request's
// picture, one reader call at a time, and a window that keeps running while
// a read takes long.
#include "bitmap_files.h"
#include "preview/preview_loader.h"
#include "vistrel/dib/dib.h"
#include "worker_fixture.h"

#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;

namespace {

class PreviewLoaderTest : public WorkerTest {
protected:
    PreviewLoaderTest()
    {
        loader.onLoaded = [this](PreviewPicture picture) {
            ++deliveries;
            gmem::Free(last.dib);
            last = std::move(picture);
        };
    }
    ~PreviewLoaderTest() override { gmem::Free(last.dib); }

    bool WaitForDelivery(int count = 1)
    {
        return Eventually([&] { return deliveries >= count; });
    }

    // The width of the DIB delivered last, or 0.
    int LastWidth()
    {
        dib::LockedBlock block(last.dib);
        return block ? static_cast<int>(dib::LoadHeader(block.bytes()).biWidth) : 0;
    }

    std::vector<std::uint8_t> ChainOf(int row)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(list.GetChain(row));
        return {bytes, bytes + list.GetChainBytes(row)};
    }

    PreviewLoader loader{registry};
    PreviewPicture last;
    int deliveries = 0;
};

} // namespace

TEST_F(PreviewLoaderTest, AFileIsReadByTheFirstReaderThatClaimsIt)
{
    WriteBytes(File("red.bmp"), SolidBitmap(8, 6, 0xFF0000));
    loader.Request({File("red.bmp"), {}, QSize(5, 4)});
    EXPECT_TRUE(loader.Busy());
    ASSERT_TRUE(WaitForDelivery());
    EXPECT_FALSE(loader.Busy());
    EXPECT_EQ(LastWidth(), 8);
    ASSERT_EQ(last.resampled.size(), QSize(5, 4)) << "resampled to the size asked for";
    EXPECT_EQ(last.resampled.pixelColor(4, 3), QColor(255, 0, 0));
    EXPECT_TRUE(last.stretched.isNull()) << "a 24-bit picture is resampled, not stretched";

    for (const std::string& nothing : {File("missing.bmp"), File("notes.txt"), File("") + "/"}) {
        loader.Request({nothing, {}, {}});
        ASSERT_TRUE(WaitForDelivery(deliveries + 1));
        EXPECT_EQ(last.dib, nullptr) << nothing;
    }
    // Named like a bitmap, but no picture.
    WriteBytes(File("fake.bmp"), "this is text");
    loader.Request({File("fake.bmp"), {}, {}});
    ASSERT_TRUE(WaitForDelivery(deliveries + 1));
    EXPECT_EQ(last.dib, nullptr);
}

TEST_F(PreviewLoaderTest, PalettePicturesComeExpandedAndResampledToo)
{
    WriteBytes(File("blue8.bmp"), PaletteBitmap(7, 5, 0x0000FF));
    loader.Request({File("blue8.bmp"), {}, QSize(20, 3)});
    ASSERT_TRUE(WaitForDelivery());
    ASSERT_NE(last.dib, nullptr);
    dib::LockedBlock block(last.dib);
    const dib::InfoHeader header = dib::LoadHeader(block.bytes());
    EXPECT_EQ(header.biWidth, 7);
    EXPECT_EQ(header.biBitCount, 24) << "kept in 24 bits, so a resize resamples it as it does others";
    ASSERT_EQ(last.resampled.size(), QSize(20, 3));
    EXPECT_EQ(last.resampled.pixelColor(19, 2), QColor(0, 0, 255));
    EXPECT_TRUE(last.stretched.isNull());
}

TEST_F(PreviewLoaderTest, AnEntryIsReadThroughItsOwnChain)
{
    WriteBytes(File("wide.bmp"), SolidBitmap(12, 2, 0x00FF00));
    ASSERT_TRUE(list.InsertFile(File("wide.bmp"), true));
    loader.Request({File("wide.bmp"), ChainOf(0), {}});
    ASSERT_TRUE(WaitForDelivery());
    EXPECT_EQ(LastWidth(), 12);

    // A chain whose reader is not loaded reads nothing, even though a reader
    // claims the file.
    std::vector<std::uint8_t> chain = ChainOf(0);
    chain[4 + 8] = 'X'; // the first block's ID starts after its size and value words
    loader.Request({File("wide.bmp"), chain, {}});
    ASSERT_TRUE(WaitForDelivery(2));
    EXPECT_EQ(last.dib, nullptr);
}

TEST_F(PreviewLoaderTest, OnlyTheNewestRequestIsDelivered)
{
    WriteBytes(File("a.bmp"), SolidBitmap(3, 3, 0xFF0000));
    WriteBytes(File("b.bmp"), SolidBitmap(7, 3, 0x00FF00));
    loader.Request({File("a.bmp"), {}, {}});
    loader.Request({File("b.bmp"), {}, {}});
    ASSERT_TRUE(WaitForDelivery());
    QTest::qWait(50);
    EXPECT_EQ(deliveries, 1);
    EXPECT_EQ(LastWidth(), 7);

    loader.Request({File("a.bmp"), {}, {}});
    loader.Cancel();
    EXPECT_FALSE(loader.Busy());
    QTest::qWait(100);
    EXPECT_EQ(deliveries, 1) << "a cancelled read is dropped";
}

TEST_F(PreviewLoaderTest, ReadsWaitForOtherReaderCalls)
{
    WriteBytes(File("a.bmp"), SolidBitmap(3, 3, 0xFF0000));
    {
        std::lock_guard held(ReaderCallLock()); // as a wallpaper change does
        loader.Request({File("a.bmp"), {}, {}});
        QTest::qWait(100);
        EXPECT_EQ(deliveries, 0);
    }
    ASSERT_TRUE(WaitForDelivery());
    EXPECT_EQ(LastWidth(), 3);
}

TEST_F(PreviewLoaderTest, TheWindowKeepsRunningWhileAReadTakesLong)
{
    // A reader stuck on a slow file must not hold up the user-interface
    // thread. The fake reader reads ".slow" files once their ".go" appears.
    vistrel::test::ProgramDir slowDir;
    slowDir.Add("Read_Expander", vistrel::test::FakesDir() / vistrel::test::LibraryFile("FakeReader"));
    slowDir.Add("View_Expander", vistrel::test::FakesDir() / vistrel::test::LibraryFile("FakeViewer"));
    slowDir.Add("Scheduler_Expander",
                vistrel::test::BinDir() / "Scheduler_Expander" / vistrel::test::LibraryFile("Clockpace"));
    CExtenderRegistry slowRegistry;
    ASSERT_TRUE(slowRegistry.LoadExtenders(slowDir.Folder()));
    PreviewLoader slowLoader{slowRegistry};
    int slowDeliveries = 0;
    slowLoader.onLoaded = [&](PreviewPicture picture) {
        ++slowDeliveries;
        gmem::Free(picture.dib);
    };
    const std::string slow = File("picture.slow");

    slowLoader.Request({slow, {}, {}});
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    QTest::qWait(150);
    EXPECT_GE(ticks, 10) << "the event loop ran while the read waited";
    EXPECT_TRUE(slowLoader.Busy());
    EXPECT_EQ(slowDeliveries, 0);

    {
        std::ofstream go(slow + ".go");
    }
    ASSERT_TRUE(Eventually([&] { return slowDeliveries == 1; }));
}

// Names that are no picture files are refused at once, without waiting on
// the open: a FIFO nobody writes to, a folder, a link to an endless device,
// an empty file, a name that is gone.
TEST_F(PreviewLoaderTest, SpecialFilesAreRefusedAtOnce)
{
    const std::string fifo = File("fifo.bmp"), folder = File("folder.bmp"), zero = File("zero.bmp"),
                      empty = File("empty.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink("/dev/zero", zero);
    {
        std::ofstream touch(empty);
    }
    int expected = 0;
    for (const std::string& path : {fifo, folder, zero, empty, File("gone.bmp")}) {
        loader.Request({path, {}, {}});
        ASSERT_TRUE(WaitForDelivery(++expected)) << path;
        EXPECT_EQ(last.dib, nullptr) << path;
    }
}
