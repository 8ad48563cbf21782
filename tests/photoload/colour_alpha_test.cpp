// SPDX-License-Identifier: GPL-3.0-or-later
// Colours: a picture with a wide-gamut profile comes out as the sRGB one
// does. Alpha: transparent parts lie over black, or over the background the
// viewer asks for. Animations: the first frame.
#include "photo_support.h"

#ifdef PHOTO_TEST_HAVE_LCMS
#include <lcms2.h>
#endif

namespace photo_test {
namespace {

using vistrel::photoload::ReadRequest;

// A read that asks only for a background, as a viewer showing the picture
// as it is answers.
void BlueBackground(void*, std::uint32_t, std::uint32_t, VistrelNeed* need)
{
    need->flags = VISTREL_NEED_BACKGROUND;
    need->background = 0x3366CC;
}

class ColoursAndAlpha : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Workshop;
        if (!HaveConvert())
            return;
        shop_->Make("photo.png", "-size 120x80 -seed 9 plasma:fractal -depth 8 -define png:color-type=2");
        // Colour from red to blue, opacity from full to none, top to bottom.
        shop_->Make("alpha.png", "-size 64x48 gradient:red-blue \\( -size 64x48 gradient:white-black \\) -alpha off "
                                 "-compose copy_opacity -composite -depth 8 -define png:color-type=6");
    }
    static void TearDownTestSuite()
    {
        delete shop_;
        shop_ = nullptr;
    }
    void SetUp() override { PHOTO_REQUIRE_CONVERT(); }

    static Workshop* shop_;
};

Workshop* ColoursAndAlpha::shop_ = nullptr;

#ifdef PHOTO_TEST_HAVE_LCMS
// Writes an ICC profile made by Little CMS.
bool SaveProfile(cmsHPROFILE profile, const fs::path& path)
{
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile, nullptr, &size))
        return false;
    std::vector<std::uint8_t> bytes(size);
    const bool saved = cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    WriteBytes(path, bytes);
    return saved;
}

// Wide-gamut primaries (those of ProMedia RGB) with a gamma of 1.8: far
// from sRGB, so a profile ignored shows plainly.
cmsHPROFILE WideProfile()
{
    cmsCIExyY white = {0.3457, 0.3585, 1.0};
    cmsCIExyYTRIPLE primaries = {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsMLU* name = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(name, "en", "US", "Wide test primaries");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, name);
    cmsMLUfree(name);
    return profile;
}
#endif

TEST_F(ColoursAndAlpha, AWideGamutProfileComesOutAsTheSrgbPicture)
{
#ifndef PHOTO_TEST_HAVE_LCMS
    GTEST_SKIP() << "Little CMS is not installed: no profiles to test with";
#else
    ASSERT_TRUE(SaveProfile(cmsCreate_sRGBProfile(), shop_->File("srgb.icc")));
    ASSERT_TRUE(SaveProfile(WideProfile(), shop_->File("wide.icc")));
    const Decoded srgb = Decode(shop_->File("photo.png"));
    ASSERT_TRUE(srgb) << srgb.error;
    const std::string convert = Quoted(shop_->File("photo.png")) + " -profile " + Quoted(shop_->File("srgb.icc")) +
                                " -profile " + Quoted(shop_->File("wide.icc"));
    struct Case {
        const char* ending;
        const char* name;
        const char* options;
        double tolerance; // mean difference per channel from the sRGB picture: 8 bits in a wide space lose a little
    };
    for (const Case& c : {Case{".png", "wide.png", "", 1.0}, Case{".jpg", "wide.jpg", "-quality 98", 4.5},
                          Case{".tif", "wide.tif", "-compress lzw", 1.0},
                          Case{".webp", "wide.webp", "-define webp:lossless=true", 1.0}}) {
        if (!Reads(c.ending))
            continue;
        SCOPED_TRACE(c.name);
        const fs::path file = shop_->Make(c.name, convert + " " + c.options);
        const Decoded wide = Decode(file);
        ASSERT_TRUE(wide) << wide.error;
        EXPECT_LT(MeanDifference(wide.rgb, srgb.rgb), c.tolerance);
        // What ImageMagick makes of the file converted to sRGB by its profile.
        EXPECT_LE(MaxDifference(wide.rgb, Reference(file, "-profile " + Quoted(shop_->File("srgb.icc")))), 1);
        // The stored numbers themselves are far from the sRGB ones.
        EXPECT_GT(MeanDifference(Reference(file), srgb.rgb), 8.0);
    }
#endif
}

TEST_F(ColoursAndAlpha, TransparencyLiesOverBlackOrTheViewersBackground)
{
    const fs::path source = shop_->File("alpha.png");
    const Rgb overBlack = Reference(source, "-background black -alpha remove");
    const Rgb overBlue = Reference(source, "-background '#3366CC' -alpha remove");
    struct Case {
        const char* ending;
        const char* name;
        const char* options;
    };
    for (const Case& c : {Case{".png", "alpha.png", nullptr}, Case{".webp", "alpha.webp", "-define webp:lossless=true"},
                          Case{".tif", "alpha.tif", "-type TrueColorAlpha -compress zip"}}) {
        if (!Reads(c.ending))
            continue;
        SCOPED_TRACE(c.name);
        const fs::path file = c.options ? shop_->Make(c.name, Quoted(source) + " " + c.options) : source;
        const Decoded plain = Decode(file);
        ASSERT_TRUE(plain) << plain.error;
        EXPECT_LE(MaxDifference(plain.rgb, overBlack), 1);
        const Decoded blue = Decode(file, ReadRequest{&BlueBackground, nullptr});
        ASSERT_TRUE(blue) << blue.error;
        EXPECT_LE(MaxDifference(blue.rgb, overBlue), 1);
        EXPECT_GT(MeanDifference(blue.rgb, plain.rgb), 20) << "the background shows through";
    }
    if (Reads(".gif")) {
        // GIF: one colour fully transparent, the rest opaque.
        const fs::path gif = shop_->Make("alpha.gif", Quoted(source) + " -channel A -threshold 50% +channel");
        const Decoded blue = Decode(gif, ReadRequest{&BlueBackground, nullptr});
        ASSERT_TRUE(blue) << blue.error;
        EXPECT_EQ(MaxDifference(blue.rgb, Reference(gif, "-background '#3366CC' -alpha remove")), 0);
        EXPECT_EQ(blue.rgb.At(0, 47)[2], 0xCC) << "the bottom row is transparent";
    }
}

TEST_F(ColoursAndAlpha, AnimationsShowTheirFirstFrame)
{
    const std::string frames = "-size 40x30 xc:red \\( -size 40x30 xc:blue \\) -loop 0";
    for (const char* name : {"anim.gif", "anim.webp"}) {
        if (!Reads(fs::path(name).extension().string()))
            continue;
        SCOPED_TRACE(name);
        const Decoded d = Decode(shop_->Make(name, frames));
        ASSERT_TRUE(d) << d.error;
        ASSERT_EQ(d.rgb.width, 40u);
        ASSERT_EQ(d.rgb.height, 30u);
        for (std::uint32_t y : {0u, 29u})
            for (std::uint32_t x : {0u, 39u}) {
                EXPECT_GE(d.rgb.At(x, y)[0], 250);
                EXPECT_LE(d.rgb.At(x, y)[2], 5);
            }
    }
}

} // namespace
} // namespace photo_test
