// SPDX-License-Identifier: GPL-3.0-or-later
// HEVC decoded by libde265 on every core gives the samples libheif's own
// plugin gives, to the byte: a picture of many rows of coding blocks (which
// the workers share: seven by five of them), one with alpha (a second HEVC picture), one cut short.
#include "photo_support.h"

namespace photo_test {
namespace {

TEST(HevcThreads, EveryCoreDecodesWhatLibheifsPluginDecodes)
{
    if (!Reads(".heic") || !HaveConvert())
        GTEST_SKIP() << "this build reads no HEIF, or ImageMagick is missing";
    Workshop shop;
    const fs::path plain = shop.Make("plain.heic", "-size 448x320 -seed 3 plasma:fractal -quality 75");
    const fs::path alpha = shop.Make("alpha.heic", "-size 160x96 -seed 5 plasma:fractal \\( +clone -fx i/w \\) "
                                                   "-alpha off -compose CopyOpacity -composite -quality 70");
    if (!fs::exists(plain) || fs::file_size(plain) == 0)
        GTEST_SKIP() << "this ImageMagick writes no HEIC";
    for (const fs::path& file : {plain, alpha}) {
        if (!fs::exists(file))
            continue;
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> bytes = ReadBytes(file);
        EXPECT_EQ(HeifWaysDiffer(bytes), "");
        EXPECT_EQ(HeifWaysDiffer(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() * 3 / 4)), "");
        EXPECT_TRUE(DecodeBytes(bytes));
    }
}

} // namespace
} // namespace photo_test
