// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures kept in tests/data/photo, with ImageMagick's decodes beside
// them: the same checks on every platform, the Windows build (its imaging
// component, under Wine) included, where no picture can be made at test time.
#include "photo_support.h"

namespace photo_test {
namespace {

using vistrel::photoload::ReadRequest;

fs::path DataDir() { return fs::path(PHOTO_TEST_DATA_DIR); }

Rgb StoredReference(const std::string& name)
{
    Rgb reference;
    LoadPpm(DataDir() / (name + ".ppm"), reference);
    return reference;
}

class StoredFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(DataDir() / "photo.png"))
            GTEST_SKIP() << "the test pictures are not at " << DataDir();
    }
};

TEST_F(StoredFiles, EveryFormatDecodesLikeTheReference)
{
    struct Case {
        const char* name;
        double minimumPsnr; // 0: lossless, exact but for one step of rounding
    };
    for (const Case& c : {Case{"photo.png", 0}, Case{"photo.gif", 0}, Case{"photo.tif", 0}, Case{"photo.jpg", 40},
                          Case{"photo.webp", 0}}) {
        const std::string ending = fs::path(c.name).extension().string();
        if (!Reads(ending))
            continue;
        SCOPED_TRACE(c.name);
        Decoded d = Decode(DataDir() / c.name);
        if (!d && ending == ".webp" && d.error.find("no decoder") != std::string::npos)
            continue; // a Windows without the WebP codec
        ASSERT_TRUE(d) << d.error;
        const Rgb reference = StoredReference(c.name);
        ASSERT_EQ(d.rgb.width, reference.width);
        ASSERT_EQ(d.rgb.height, reference.height);
        if (c.minimumPsnr > 0)
            EXPECT_GE(Psnr(d.rgb, reference), c.minimumPsnr);
        else
            EXPECT_LE(MaxDifference(d.rgb, reference), 1);
    }
}

TEST_F(StoredFiles, TheOrientationAndTheTransparencyAreApplied)
{
    if (!Reads(".jpg") || !Reads(".png"))
        GTEST_SKIP() << "this build reads no JPEG or PNG";
    Decoded turned = Decode(DataDir() / "rotated6.jpg");
    ASSERT_TRUE(turned) << turned.error;
    const Rgb upright = StoredReference("photo.png");
    ASSERT_EQ(turned.rgb.width, upright.width);
    ASSERT_EQ(turned.rgb.height, upright.height);
    EXPECT_LT(MeanDifference(turned.rgb, upright), 10.0) << "a JPEG of the picture, turned right";

    Decoded alpha = Decode(DataDir() / "alpha.png");
    ASSERT_TRUE(alpha) << alpha.error;
    EXPECT_LE(MaxDifference(alpha.rgb, StoredReference("alpha.png")), 1) << "over black";
}

void Least(void* context, std::uint32_t, std::uint32_t, VistrelNeed* need)
{
    const auto* size = static_cast<const std::uint32_t*>(context);
    need->flags = VISTREL_NEED_SCALED;
    need->width = size[0];
    need->height = size[1];
}

// A reduced read is at least the size asked for and no larger than the
// picture, in its proportions.
TEST_F(StoredFiles, AReducedReadIsAtLeastTheSizeAskedFor)
{
    if (!Reads(".jpg"))
        GTEST_SKIP() << "this build reads no JPEG";
    const std::uint32_t least[2] = {20, 14};
    Decoded d = Decode(DataDir() / "photo.jpg", ReadRequest{&Least, const_cast<std::uint32_t*>(least)});
    ASSERT_TRUE(d) << d.error;
    EXPECT_GE(d.rgb.width, 20u);
    EXPECT_GE(d.rgb.height, 14u);
    EXPECT_LT(d.rgb.width, 61u);
    EXPECT_LT(d.rgb.height, 43u);
    const Rgb whole = StoredReference("photo.jpg");
    // Its middle looks like the middle of the whole picture.
    const std::uint8_t* a = d.rgb.At(d.rgb.width / 2, d.rgb.height / 2);
    const std::uint8_t* b = whole.At(30, 21);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(double(a[c]), double(b[c]), 48.0);
}

} // namespace
} // namespace photo_test
