// SPDX-License-Identifier: GPL-3.0-or-later
// Shrink-on-load: the reader asks once, with the picture's size as shown,
// and decodes at the smallest cheap size still at least as large as the
// answer, in the library and through the real Picshow.
#include "photo_support.h"

#include "compose.h"
#include "environment.h"
#include "test_support.h"
#include "viewer_block.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_registry.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/dib/scale.h"

#include <cstring>

namespace photo_test {
namespace {

using vistrel::photoload::ReadRequest;

// A viewer's answer, and what it was first asked. A steady viewer gives the
// same size for every picture (as the stretching fit does), so the reader
// may scale the rows itself to that size while it decodes; otherwise only
// the first question gets the size, later ones "as it is", and the reader
// hands on what its decoder made.
struct Answer {
    std::uint32_t flags = VISTREL_NEED_SCALED, width = 0, height = 0;
    bool steady = false;
    int questions = 0;
    std::uint32_t askedWidth = 0, askedHeight = 0;
};

void Answering(void* context, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    auto* answer = static_cast<Answer*>(context);
    if (answer->questions++ > 0 && !answer->steady)
        return;
    if (answer->questions == 1) {
        answer->askedWidth = width;
        answer->askedHeight = height;
    }
    need->flags = answer->flags;
    need->width = answer->width;
    need->height = answer->height;
}

class Shrink : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Workshop;
        if (HaveConvert())
            shop_->Make("photo.png", "-size 1600x1200 -seed 6 plasma:fractal -depth 8");
    }
    static void TearDownTestSuite()
    {
        delete shop_;
        shop_ = nullptr;
    }
    void SetUp() override { PHOTO_REQUIRE_CONVERT(); }

    static fs::path Make(const std::string& name, const std::string& options = "")
    {
        const fs::path file = shop_->File(name);
        return fs::exists(file) ? file : shop_->Make(name, Quoted(shop_->File("photo.png")) + " " + options);
    }
    static Decoded ReadFor(const fs::path& file, Answer& answer)
    {
        return Decode(file, ReadRequest{&Answering, &answer});
    }

    static Workshop* shop_;
};

Workshop* Shrink::shop_ = nullptr;

TEST_F(Shrink, JpegDecodesAtTheSmallestEighthThatIsLargeEnough)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    const fs::path jpeg = Make("photo.jpg", "-quality 90");
    struct Case {
        std::uint32_t width, height; // the viewer's answer
        std::uint32_t decodedWidth, decodedHeight;
    } cases[] = {
        {390, 290, 400, 300},     // 2/8
        {401, 300, 600, 450},     // 3/8: 2/8 would be one column short
        {800, 600, 800, 600},     // 4/8 exactly
        {801, 600, 1600, 1200},   // 5/8 to 7/8 cost what the full size costs
        {3000, 2000, 1600, 1200}, // larger than the picture
        {1, 1, 200, 150},         // 1/8 at the least
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Answer answer;
        answer.width = c.width, answer.height = c.height;
        Decoded d = ReadFor(jpeg, answer);
        ASSERT_TRUE(d) << d.error;
        EXPECT_EQ(answer.askedWidth, 1600u);
        EXPECT_EQ(answer.askedHeight, 1200u);
        EXPECT_EQ(d.rgb.width, c.decodedWidth);
        EXPECT_EQ(d.rgb.height, c.decodedHeight);
    }
    Answer asItIs; // no size: the whole picture
    asItIs.flags = VISTREL_NEED_BACKGROUND;
    EXPECT_EQ(ReadFor(jpeg, asItIs).rgb.width, 1600u);
}

// The viewer is asked with the picture as shown; the decoder's scale is
// chosen for the picture as stored.
TEST_F(Shrink, TheOrientationTurnsTheQuestionAndTheAnswer)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    const fs::path stored = Make("photo.jpg", "-quality 90");
    std::vector<std::uint8_t> bytes = ReadBytes(stored);
    // An EXIF block saying "turn a quarter clockwise" (orientation 6).
    const std::uint8_t exif[] = {0xFF, 0xE1, 0,    34,   'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                                 1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6,   0,   0,  0, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 2, std::begin(exif), std::end(exif));
    Answer answer;
    answer.width = 290, answer.height = 390;
    gmem::Owner dib(vistrel::photoload::ReadPhotoFromMemory(bytes.data(), bytes.size(), {&Answering, &answer}));
    ASSERT_TRUE(dib) << vistrel::photoload::PhotoLastError();
    const Rgb shown = FromDib(dib.get());
    EXPECT_EQ(answer.askedWidth, 1200u);
    EXPECT_EQ(answer.askedHeight, 1600u);
    EXPECT_EQ(shown.width, 300u);
    EXPECT_EQ(shown.height, 400u);
}

TEST_F(Shrink, WebpScalesToTheSizeAskedAndPngReadsWhole)
{
    if (Reads(".webp")) {
        Answer answer;
        answer.width = 390, answer.height = 290;
        Decoded d = ReadFor(Make("photo.webp", "-quality 85"), answer);
        ASSERT_TRUE(d) << d.error;
        EXPECT_EQ(d.rgb.width, 390u);
        EXPECT_EQ(d.rgb.height, 290u);
        Decoded whole = Decode(Make("photo.webp"));
        // The decoder's own area averaging: close to the whole picture's
        // colours on average.
        EXPECT_NEAR(double(d.rgb.At(195, 145)[0]), double(whole.rgb.At(800, 600)[0]), 40.0);
    }
    if (Reads(".png")) {
        Answer answer;
        answer.width = 390, answer.height = 290;
        EXPECT_EQ(ReadFor(shop_->File("photo.png"), answer).rgb.width, 1600u);
        EXPECT_EQ(answer.askedWidth, 1600u);
    }
}

// The real reader and the real viewer through the core's read: a
// proportioned fit on 800 x 600 needs 800 x 600 of a 1600 x 1200 picture,
// and the composition differs from the one of the whole picture only by the
// decoder's share of the scaling.
TEST_F(Shrink, ThroughTheRealPicshow)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    using namespace vistrel;
    test::RecordingSink sink;
    test::ProgramDir dir;
    dir.Add("Read_Expander", test::BinDir() / "Read_Expander" / test::LibraryFile("Photoload"));
    dir.Add("View_Expander", test::BinDir() / "View_Expander" / test::LibraryFile("Picshow"));
    dir.Add("Scheduler_Expander", test::BinDir() / "Scheduler_Expander" / test::LibraryFile("Clockpace"));
    CExtenderRegistry registry;
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    const fs::path jpeg = Make("photo.jpg", "-quality 90");
    ExtenderHandle reader = registry.FindReaderForFile(jpeg.string());
    ExtenderHandle viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(CanShrinkOnLoad(reader, viewer));
    gmem::Owner readerBlock(ext::GetDefParams(reader)), viewerBlock(ext::GetDefParams(viewer));
    ASSERT_EQ(ext::RunCommand(viewer, viewerBlock.get(), 3), viewerBlock.get()); // Proportioned Fit

    const VistrelScreen screen{800, 600, 800, 600, 0};
    gmem::Owner shrunk(
        ReadForViewer(reader, readerBlock.get(), viewer, viewerBlock.get(), jpeg.string().c_str(), &screen));
    ASSERT_TRUE(shrunk) << ext::GetError(reader);
    const Rgb read = FromDib(shrunk.get());
    EXPECT_EQ(read.width, 800u);
    EXPECT_EQ(read.height, 600u);

    ASSERT_EQ(ext::RunCommand(viewer, viewerBlock.get(), 0), viewerBlock.get()); // Tile: the picture as it is
    gmem::Owner whole(
        ReadForViewer(reader, readerBlock.get(), viewer, viewerBlock.get(), jpeg.string().c_str(), &screen));
    ASSERT_TRUE(whole);
    EXPECT_EQ(FromDib(whole.get()).width, 1600u);

    picshow::ViewerSettings fit;
    fit.mode = picshow::kProportionedFit;
    const picshow::Screen target{800, 600, 800, 600, 0};
    picshow::Composition fromShrunk = picshow::Compose(shrunk.get(), fit, target);
    picshow::Composition fromWhole = picshow::Compose(whole.get(), fit, target);
    gmem::Owner a(fromShrunk.IsNew(shrunk.get()) ? fromShrunk.picture : nullptr);
    gmem::Owner b(fromWhole.IsNew(whole.get()) ? fromWhole.picture : nullptr);
    const Rgb ra = FromDib(fromShrunk.picture), rb = FromDib(fromWhole.picture);
    ASSERT_EQ(ra.width, 800u);
    ASSERT_EQ(rb.width, 800u);
    EXPECT_GE(Psnr(ra, rb), 35);
}

} // namespace
} // namespace photo_test

namespace photo_test {
namespace {

// Large sequential JPEG files are decoded by two threads, the second
// starting part-way down; every row must come out as one decoder makes it.
// A mirrored picture goes through the canvas's row buffer, one thread only:
// mirrored back, it must be the same picture to the last bit.
TEST_F(Shrink, TwoThreadsDecodeLikeOne)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    vistrel::test::ScopedEnvironment twoThreads("VISTREL_DECODE_THREADS", "2"); // whatever the machine's load
    const std::uint8_t mirror[] = {0xFF, 0xE1, 0,    34,   'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                                   1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 2,   0,   0,  0, 0, 0, 0, 0};
    for (const char* sampling : {"1x1", "2x2", "2x1"}) {
        const fs::path jpeg =
            Make(std::string("split-") + sampling + ".jpg", std::string("-quality 88 -sampling-factor ") + sampling);
        std::vector<std::uint8_t> mirrored = ReadBytes(jpeg);
        mirrored.insert(mirrored.begin() + 2, std::begin(mirror), std::end(mirror));
        for (std::uint32_t least : {0u, 790u}) {
            SCOPED_TRACE(std::string(sampling) + " least " + std::to_string(least));
            Answer answer;
            answer.width = least, answer.height = least * 3 / 4;
            answer.flags = least ? VISTREL_NEED_SCALED : 0;
            Answer again = answer; // the same answer to the second read
            const Decoded split = ReadFor(jpeg, answer);
            const Decoded one = DecodeBytes(mirrored, ReadRequest{&Answering, &again});
            ASSERT_TRUE(split) << split.error;
            ASSERT_TRUE(one) << one.error;
            ASSERT_EQ(split.rgb.width, one.rgb.width);
            ASSERT_EQ(split.rgb.height, one.rgb.height);
            ASSERT_GE(split.rgb.height, 512u) << "large enough to be split";
            int differing = 0;
            for (std::uint32_t y = 0; y < one.rgb.height; ++y)
                for (std::uint32_t x = 0; x < one.rgb.width; ++x)
                    differing += std::memcmp(split.rgb.At(x, y), one.rgb.At(one.rgb.width - 1 - x, y), 3) != 0;
            EXPECT_EQ(differing, 0);
        }
    }
}

} // namespace
} // namespace photo_test

namespace photo_test {
namespace {

// What the reader makes when it scales while decoding must be byte for byte
// what ScaleDIB makes of the picture its decoder would have handed on.
void ExpectScaledAsScaleDIBWould(const std::vector<std::uint8_t>& file, std::uint32_t width, std::uint32_t height)
{
    Answer steady;
    steady.width = width, steady.height = height, steady.steady = true;
    const Decoded scaled = DecodeBytes(file, ReadRequest{&Answering, &steady});
    ASSERT_TRUE(scaled) << scaled.error;
    EXPECT_GE(steady.questions, 2) << "asked again about the size it delivers";
    ASSERT_EQ(scaled.rgb.width, width);
    ASSERT_EQ(scaled.rgb.height, height);

    Answer once; // the same first answer, the decoder's picture handed on
    once.width = width, once.height = height;
    const Decoded decoded = DecodeBytes(file, ReadRequest{&Answering, &once});
    ASSERT_TRUE(decoded) << decoded.error;
    gmem::Owner want(vistrel::dib::ScaleDIB(decoded.dib.get(), width, height, vistrel::dib::kAreaAveraging));
    ASSERT_TRUE(want);
    EXPECT_EQ(MaxDifference(FromDib(want.get()), scaled.rgb), 0);
    EXPECT_TRUE(FromDib(want.get()).pixels == scaled.rgb.pixels);
}

TEST_F(Shrink, ScalingWhileDecodingGivesScaleDIBsPicture)
{
    if (Reads(".png")) {
        const std::vector<std::uint8_t> png = ReadBytes(shop_->File("photo.png"));
        ExpectScaledAsScaleDIBWould(png, 390, 290);
        ExpectScaledAsScaleDIBWould(png, 1600, 1000); // the height alone shrinks
        ExpectScaledAsScaleDIBWould(png, 1599, 1199);
        // A transparent picture goes over the background first.
        ExpectScaledAsScaleDIBWould(ReadBytes(Make("alpha.png", "-alpha set -channel A -evaluate set 40% +channel")),
                                    500, 300);
        // A cut file: the rows that never came are black in both.
        std::vector<std::uint8_t> cut = png;
        cut.resize(cut.size() / 2);
        ExpectScaledAsScaleDIBWould(cut, 390, 290);
    }
    if (Reads(".jpg")) {
        const std::vector<std::uint8_t> jpeg = ReadBytes(Make("photo.jpg", "-quality 90"));
        ExpectScaledAsScaleDIBWould(jpeg, 401, 300); // from the 3/8 decode
        ExpectScaledAsScaleDIBWould(jpeg, 1000, 700);
    }
    if (Reads(".heic")) // decoded whole by libheif, then handed on row by row
        ExpectScaledAsScaleDIBWould(ReadBytes(Make("photo.heic", "-quality 70")), 500, 350);
}

TEST_F(Shrink, NoScalingWhileDecodingWhereTheViewerWouldScaleAgainOrGrow)
{
    if (!Reads(".png"))
        GTEST_SKIP() << "this build reads no PNG";
    const std::vector<std::uint8_t> png = ReadBytes(shop_->File("photo.png"));
    // A viewer that grows the picture: the reader hands on the whole of it.
    Answer larger;
    larger.width = 1900, larger.height = 1300, larger.steady = true;
    EXPECT_EQ(DecodeBytes(png, ReadRequest{&Answering, &larger}).rgb.width, 1600u);
    Answer wider; // wider but lower: the width would have to grow
    wider.width = 1700, wider.height = 1000, wider.steady = true;
    EXPECT_EQ(DecodeBytes(png, ReadRequest{&Answering, &wider}).rgb.width, 1600u);
}

} // namespace
} // namespace photo_test
