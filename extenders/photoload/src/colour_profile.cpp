// SPDX-License-Identifier: GPL-3.0-or-later
// Embedded colour profiles to sRGB with Little CMS. A picture without a
// profile is taken to be sRGB already; so is one whose profile says it is
// sRGB (its description names it), which saves the conversion for the many
// files that embed the standard profile.
#include <lcms2.h>

#include <cstring>

#include "canvas.h"

namespace vistrel::photoload {
namespace {

cmsUInt32Number LcmsFormat(Layout layout)
{
    switch (layout) {
    case Layout::kBGR: return TYPE_BGR_8;
    case Layout::kRGB: return TYPE_RGB_8;
    case Layout::kBGRA: return TYPE_BGRA_8;
    case Layout::kRGBA: return TYPE_RGBA_8;
    case Layout::kCMYK: return TYPE_CMYK_8;
    case Layout::kCMYKInverted: return TYPE_CMYK_8_REV;
    default: return 0;
    }
}

bool NamesSrgb(cmsHPROFILE profile)
{
    char description[256] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", description, sizeof description - 1);
    return std::strstr(description, "sRGB") != nullptr;
}

// Little CMS reports problems through a handler; a profile that fails to
// open or link is simply not used, so there is nothing to print.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

class LcmsTransform final : public ColourTransform {
public:
    explicit LcmsTransform(cmsHTRANSFORM transform) : transform_(transform) {}
    ~LcmsTransform() override { cmsDeleteTransform(transform_); }
    void Convert(const std::uint8_t* in, std::uint8_t* out, std::uint32_t pixels) override
    {
        cmsDoTransform(transform_, in, out, pixels);
    }

private:
    cmsHTRANSFORM transform_;
};

} // namespace

std::unique_ptr<ColourTransform> MakeColourTransform(const std::vector<std::uint8_t>& profile, Layout layout)
{
    const cmsUInt32Number inFormat = LcmsFormat(layout);
    if (profile.empty() || inFormat == 0)
        return nullptr;
    cmsSetLogErrorHandler(&Quiet);
    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    if (!source)
        return nullptr;
    const bool cmyk = layout == Layout::kCMYK || layout == Layout::kCMYKInverted;
    const cmsColorSpaceSignature model = cmsGetColorSpace(source);
    if ((cmyk ? model != cmsSigCmykData : model != cmsSigRgbData) || (!cmyk && NamesSrgb(source))) {
        cmsCloseProfile(source);
        return nullptr;
    }
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    // Alpha layouts keep their alpha; CMYK rows come out as blue, green, red.
    const cmsUInt32Number outFormat = cmyk ? TYPE_BGR_8 : inFormat;
    cmsHTRANSFORM transform =
        cmsCreateTransform(source, inFormat, srgb, outFormat, INTENT_PERCEPTUAL, cmyk ? 0 : cmsFLAGS_COPY_ALPHA);
    cmsCloseProfile(source);
    cmsCloseProfile(srgb);
    if (!transform)
        return nullptr;
    return std::make_unique<LcmsTransform>(transform);
}

} // namespace vistrel::photoload
