// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP Suite: good, questionable and bad files from the public test suite,
// with decodes by two independent decoders, kept in tests/data/bmpsuite (or
// wherever VISTREL_CORPUS_DIR points); skipped when it is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "vistrel/bitload/read_dib.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"
#include "vistrel/dib/scale.h"

namespace vistrel::bitload {
namespace {

namespace fs = std::filesystem;

fs::path SuiteDir()
{
    if (const char* env = std::getenv("VISTREL_CORPUS_DIR"))
        return fs::path(env) / "bmpsuite";
    return fs::path(VISTREL_CORPUS_DIR) / "bmpsuite";
}

struct Entry {
    std::string file, header, compression, agreement;
    int bits = 0;
    bool imDecoded = false, pillowDecoded = false;
};

std::vector<Entry> Index()
{
    std::vector<Entry> entries;
    std::ifstream in(SuiteDir() / "INDEX.tsv");
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, '\t');)
            f.push_back(cell);
        if (f.size() < 16)
            continue;
        Entry e{f[0], f[2], f[6], f[15]};
        e.bits = std::atoi(f[5].c_str());
        e.imDecoded = f[13] == "True";
        e.pillowDecoded = f[14] == "True";
        entries.push_back(e);
    }
    return entries;
}

std::string Utf8(const fs::path& p)
{
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

// A binary PPM: width, height and top-down RGB bytes.
struct Ppm {
    std::uint32_t w = 0, h = 0;
    std::vector<std::uint8_t> rgb;
};

bool LoadPpm(const fs::path& path, Ppm& ppm)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    if (!(in >> magic >> ppm.w >> ppm.h >> max) || magic != "P6" || max != 255)
        return false;
    in.get();
    ppm.rgb.resize(std::size_t{ppm.w} * ppm.h * 3);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(ppm.rgb.data()), std::streamsize(ppm.rgb.size())));
}

class BmpSuite : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(SuiteDir() / "INDEX.tsv"))
            GTEST_SKIP() << "BMP Suite corpus not found at " << SuiteDir();
    }
};

// Every file is either read or refused with the reader's own message, and
// whatever is read goes through widening and both scaling modes.
TEST_F(BmpSuite, EveryFileIsReadOrRefusedAndSurvivesTheImageRoutines)
{
    int read = 0, refused = 0;
    for (const Entry& e : Index()) {
        SCOPED_TRACE(e.file);
        gmem::Handle dib = ReadDIB(Utf8(SuiteDir() / e.file).c_str());
        if (!dib) {
            EXPECT_EQ(std::string(ReadLastError()).rfind("ReadDIB: ", 0), 0u) << ReadLastError();
            ++refused;
            continue;
        }
        ++read;
        if (gmem::Owner expanded(dib::ExpandDIBTo24(dib)); expanded) { // what a display is given
            dib::LockedBlock b(expanded.get());
            const dib::InfoHeader h = dib::LoadHeader(b.bytes());
            EXPECT_EQ(b.size(), 40 + dib::DIBWidthBytes(24, std::uint32_t(h.biWidth)) * std::uint32_t(h.biHeight));
        }
        gmem::Owner rgb(dib::DIBTo24(dib)); // consumes dib; null for run-length images
        if (!rgb)
            continue;
        for (auto [w, h, mode] : {std::tuple{37u, 23u, 1}, std::tuple{300u, 200u, 1}, std::tuple{50u, 90u, 0}}) {
            gmem::Owner scaled(dib::ScaleDIB(rgb.get(), w, h, mode));
            if (scaled) {
                EXPECT_EQ(gmem::Size(scaled.get()), 40 + dib::DIBWidthBytes(24, w) * h);
            }
        }
    }
    EXPECT_GT(read, 40);
    EXPECT_GT(refused, 10);
}

// Pixels against the reference decodes, where both references agree.
TEST_F(BmpSuite, DecodesLikeTheReferencesWhereTheyAgree)
{
    int compared = 0;
    std::vector<std::string> comparedFiles;
    for (const Entry& e : Index()) {
        const bool agreed =
            e.imDecoded && e.pillowDecoded &&
            (e.agreement.rfind("identical RGB", 0) == 0 || e.agreement.find("max |diff| 1") != std::string::npos);
        const bool uncompressed = e.compression == "RGB" || e.compression == "BITFIELDS";
        if (!agreed || !uncompressed)
            continue;
        SCOPED_TRACE(e.file);
        // The 108- and 124-byte header forms are read like the 40-byte one;
        // other sizes (OS/2 2.x, 52- and 56-byte forms) are refused.
        const bool headerRead = e.header.rfind("BITMAPINFOHEADER (v3,40)", 0) == 0 ||
                                e.header.rfind("OS/2v1", 0) == 0 || e.header.rfind("BITMAPV4HEADER (108)", 0) == 0 ||
                                e.header.rfind("BITMAPV5HEADER (124)", 0) == 0;
        gmem::Handle dib = ReadDIB(Utf8(SuiteDir() / e.file).c_str());
        if (!headerRead) {
            EXPECT_EQ(dib, nullptr);
            gmem::Free(dib);
            continue;
        }
        ASSERT_NE(dib, nullptr) << ReadLastError();
        gmem::Owner rgb(dib::DIBTo24(dib));
        ASSERT_TRUE(rgb) << dib::DibLastError();
        const std::string stem = fs::path(e.file).replace_extension(".ppm").string();
        Ppm im, pillow;
        ASSERT_TRUE(LoadPpm(SuiteDir() / "ref-imagemagick" / stem, im));
        ASSERT_TRUE(LoadPpm(SuiteDir() / "ref-pillow" / stem, pillow));
        dib::LockedBlock b(rgb.get());
        const dib::InfoHeader h = dib::LoadHeader(b.bytes());
        ASSERT_EQ(std::uint32_t(h.biWidth), im.w);
        ASSERT_EQ(std::uint32_t(h.biHeight), im.h);
        const std::size_t stride = dib::DIBWidthBytes(24, im.w);
        const std::uint8_t* px = b.bytes() + 40 + 4 * std::size_t{dib::DIBNumColors(h)};
        // 5- and 6-bit channels are widened slightly differently by the two
        // references; ours must lie within one step of both.
        const int tolerance = e.bits == 16 ? 1 : 0;
        int bad = 0;
        for (std::uint32_t y = 0; y < im.h && bad < 5; ++y)
            for (std::uint32_t x = 0; x < im.w && bad < 5; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int ours = px[(im.h - 1 - y) * stride + 3 * x + (2 - c)];
                    const std::size_t at = (std::size_t{y} * im.w + x) * 3 + c;
                    if (std::abs(ours - im.rgb[at]) > tolerance || std::abs(ours - pillow.rgb[at]) > tolerance) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": " << ours << " vs "
                                      << int(im.rgb[at]) << "/" << int(pillow.rgb[at]);
                        ++bad;
                    }
                }
        ++compared;
        comparedFiles.push_back(e.file);
    }
    EXPECT_GE(compared, 25);
    for (const char* later : {"g/pal8v4.bmp", "g/pal8v5.bmp"})
        EXPECT_NE(std::find(comparedFiles.begin(), comparedFiles.end(), later), comparedFiles.end()) << later;
}

// Run-length pictures expanded for a display match the reference decodes of
// the same pictures stored uncompressed (where ImageMagick decodes both
// alike; Pillow is known to mis-decode RLE4).
TEST_F(BmpSuite, RunLengthPicturesExpandLikeTheirUncompressedTwins)
{
    for (auto [coded, plain] : {std::pair{"g/pal8rle.bmp", "g/pal8.ppm"}, std::pair{"g/pal4rle.bmp", "g/pal4.ppm"}}) {
        SCOPED_TRACE(coded);
        gmem::Owner dib(ReadDIB(Utf8(SuiteDir() / coded).c_str()));
        ASSERT_TRUE(dib) << ReadLastError();
        gmem::Owner rgb(dib::ExpandDIBTo24(dib.get()));
        ASSERT_TRUE(rgb) << dib::DibLastError();
        Ppm im;
        ASSERT_TRUE(LoadPpm(SuiteDir() / "ref-imagemagick" / plain, im));
        dib::LockedBlock b(rgb.get());
        const dib::InfoHeader h = dib::LoadHeader(b.bytes());
        ASSERT_EQ(std::uint32_t(h.biWidth), im.w);
        ASSERT_EQ(std::uint32_t(h.biHeight), im.h);
        const std::size_t stride = dib::DIBWidthBytes(24, im.w);
        int bad = 0;
        for (std::uint32_t y = 0; y < im.h; ++y)
            for (std::uint32_t x = 0; x < im.w; ++x)
                for (int c = 0; c < 3; ++c)
                    bad += b.bytes()[40 + (im.h - 1 - y) * stride + 3 * x + (2 - c)] !=
                           im.rgb[(std::size_t{y} * im.w + x) * 3 + c];
        EXPECT_EQ(bad, 0);
    }
}

} // namespace
} // namespace vistrel::bitload
