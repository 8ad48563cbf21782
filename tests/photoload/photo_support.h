// SPDX-License-Identifier: GPL-3.0-or-later
// What the reader's tests share: pictures made by ImageMagick (or vips) at
// test time, reference decodes by ImageMagick, and comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "vistrel/photoload/read_photo.h"

namespace photo_test {

namespace fs = std::filesystem;
namespace gmem = vistrel::gmem;

// Top-down red, green, blue.
struct Rgb {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const
    {
        return pixels.data() + (std::size_t{y} * width + x) * 3;
    }
};

// A DIB (bottom-up blue, green, red) as top-down RGB.
Rgb FromDib(gmem::Handle dib);
bool LoadPpm(const fs::path& path, Rgb& out);

// The decoders the tests compare with. ImageMagick is called directly, not
// through a wrapper that might change its output.
inline const char* const kConvert = "/usr/bin/convert";
bool HaveProgram(const char* path);
bool HaveConvert();
// Runs a shell command; true when it exits 0.
bool RunCommand(const std::string& command);
std::string Quoted(const fs::path& path);
// ImageMagick's decode of `file`: convert FILE OPTIONS -depth 8 ppm:OUT.
Rgb Reference(const fs::path& file, const std::string& options = "");

double Psnr(const Rgb& a, const Rgb& b);
int MaxDifference(const Rgb& a, const Rgb& b);
double MeanDifference(const Rgb& a, const Rgb& b);
// The share of channel values that differ by at most `tolerance`.
double ShareWithin(const Rgb& a, const Rgb& b, int tolerance);

// The CRC-32 of PNG chunks, for tests that damage a file and mend its checksum.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

std::vector<std::uint8_t> ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes);

struct Decoded {
    gmem::Owner dib;
    Rgb rgb;
    std::string error;
    explicit operator bool() const { return static_cast<bool>(dib); }
};
Decoded Decode(const fs::path& path, const vistrel::photoload::ReadRequest& request = {});
Decoded DecodeBytes(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request = {});
// A PNG read the fast way and by libspng alone: how the two differ (the
// picture's bytes, or whether and why it is refused), empty when they agree.
// Decode and DecodeBytes check it for every PNG they read.
std::string PngWaysDiffer(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request = {});
// The same for a HEIF picture decoded with libde265 on every core and by
// libheif's own plugin; checked for every HEIF picture too.
std::string HeifWaysDiffer(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request = {});

// Whether this build reads a format (by one of its endings, ".png").
bool Reads(const std::string& ending);

// A folder of test pictures shared by a test suite.
class Workshop {
public:
    Workshop();
    ~Workshop();
    const fs::path& Path() const { return path_; }
    fs::path File(const std::string& name) const { return path_ / name; }
    // convert ARGUMENTS OUT (OUT a name in the folder); the file's path.
    fs::path Make(const std::string& name, const std::string& arguments);

private:
    fs::path path_;
};

} // namespace photo_test

#define PHOTO_REQUIRE_CONVERT()                                                                                        \
    if (!photo_test::HaveConvert())                                                                                    \
    GTEST_SKIP() << "ImageMagick (/usr/bin/convert) is not installed: no reference decodes"
