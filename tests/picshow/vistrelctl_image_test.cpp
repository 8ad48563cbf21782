// SPDX-License-Identifier: GPL-3.0-or-later
// vistrelctl's scale and compose, run on files with the shipped reader and
// viewer code.
#include "cli.h"
#include "picture.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace vistrel::test;
namespace pt = picshow::test;

class VistrelctlImages : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str("");
        return vistrelctl::Run(args, (BinDir() / "").string(), out);
    }

    RecordingSink sink;
    PrivateSettings settings;
    TempDir work;
    std::ostringstream out;
};

// The blue, green and red bytes of each pixel, bottom row first.
std::vector<int> Channel(const std::string& file)
{
    std::optional<pt::Picture> p = pt::ParseBitmap24(file);
    std::vector<int> values;
    if (p)
        for (int y = p->height - 1; y >= 0; --y)
            for (int x = 0; x < p->width; ++x)
                values.push_back(static_cast<int>(p->at(x, y) & 0xff));
    return values;
}

pt::Picture Grey(int width, int height, std::vector<int> values)
{
    pt::Picture p(width, height);
    for (std::size_t i = 0; i < values.size(); ++i)
        p.pixels[i] = static_cast<std::uint32_t>(values[i]) * 0x010101u;
    return p;
}

TEST_F(VistrelctlImages, ScaleByAreaAveraging)
{
    WriteFile(work.File("a.bmp"), pt::Bitmap24(Grey(2, 1, {0, 100})));
    ASSERT_EQ(Run({"scale", work.File("a.bmp"), work.File("a4.bmp"), "4", "1"}), 0);
    EXPECT_EQ(out.str(), "4x1\n");
    EXPECT_EQ(Channel(ReadFile(work.File("a4.bmp"))), (std::vector<int>{0, 25, 75, 100}));

    // Top row 200 first: from the bottom the rows are 0, 100, 200.
    WriteFile(work.File("b.bmp"), pt::Bitmap24(Grey(1, 3, {200, 100, 0})));
    ASSERT_EQ(Run({"scale", work.File("b.bmp"), work.File("b4.bmp"), "1", "4"}), 0);
    EXPECT_EQ(Channel(ReadFile(work.File("b4.bmp"))), (std::vector<int>{4, 63, 138, 196}));
}

TEST_F(VistrelctlImages, ScaleWidensPaletteImagesAndTakesNearest)
{
    WriteFile(work.File("p.bmp"), pt::Bitmap8(2, 1, {0x000000, 0x646464}, {0, 1}));
    ASSERT_EQ(Run({"scale", work.File("p.bmp"), work.File("n.bmp"), "4", "1", "--nearest"}), 0);
    EXPECT_EQ(Channel(ReadFile(work.File("n.bmp"))), (std::vector<int>{0, 0, 100, 100}));

    EXPECT_EQ(Run({"scale", work.File("p.bmp"), work.File("z.bmp"), "0", "1"}), vistrelctl::kUsage);
    EXPECT_EQ(Run({"scale", work.File("missing.bmp"), work.File("z.bmp"), "2", "2"}), vistrelctl::kFailure);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_NE(sink.messages.back().first.find("missing.bmp"), std::string::npos);
}

TEST_F(VistrelctlImages, ComposeReproducesTheFitExamples)
{
    // 6000 x 4000 at one bit per pixel: 3 MB on disk, read by the reader
    // extender and widened like any palette picture.
    const int width = 6000, height = 4000;
    const int stride = (width + 31) / 32 * 4;
    std::string file = "BM";
    auto put32 = [&file](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    put32(62 + stride * height);
    put32(0);
    put32(62);
    for (std::uint32_t v : {40u, std::uint32_t(width), std::uint32_t(height), 0x00010001u, 0u,
                            std::uint32_t(stride * height), 2835u, 2835u, 2u, 0u, 0u, 0xffffffu})
        put32(v);
    file += std::string(std::size_t(stride) * height, '\x5a');
    WriteFile(work.File("big.bmp"), file);

    struct {
        std::vector<std::string> options;
        const char* result;
    } cases[] = {{{"--mode", "proportioned"}, "1024x683 center\n"},
                 {{"--mode", "freepos", "--border", "20"}, "819x546 center\n"},
                 {{"--mode", "freepos", "--tiles", "3"}, "341x228 tile\n"},
                 {{"--mode", "fit"}, "1024x768 center\n"},
                 {{"--mode", "freepos", "--rect", "10,20,640,480"}, "1000x700 tile\n"},
                 {{"--mode", "tile"}, "6000x4000 tile\n"}};
    for (const auto& c : cases) {
        std::vector<std::string> args{"compose",  work.File("big.bmp"), "-o",         work.File("out.bmp"),
                                      "--screen", "1024x768",           "--workarea", "1000x700"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(Run(args), 0) << c.options[1];
        EXPECT_EQ(out.str(), c.result);
    }
}

TEST_F(VistrelctlImages, ComposeWritesThePictureOfTheMode)
{
    pt::Picture source = pt::Patterned(8, 4);
    WriteFile(work.File("s.bmp"), pt::Bitmap24(source));
    ASSERT_EQ(Run({"compose", work.File("s.bmp"), "-o", work.File("o.bmp"), "--mode", "freepos", "--rect", "-1,2,4,4",
                   "--screen", "20x20", "--workarea", "6x5", "--background", "abcdef"}),
              0);
    EXPECT_EQ(pt::ParseBitmap24(ReadFile(work.File("o.bmp"))),
              pt::OnCanvas(pt::BoxShrink(source, 2, 2), 6, 5, -1, 2, 0xabcdef));

    EXPECT_EQ(Run({"compose", work.File("s.bmp"), "-o", work.File("o.bmp"), "--mode", "sideways", "--screen", "4x4"}),
              vistrelctl::kUsage);
    EXPECT_EQ(Run({"compose", work.File("s.bmp"), "-o", work.File("o.bmp"), "--mode", "fit"}), vistrelctl::kUsage);
}

} // namespace
