// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo_support.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "vistrel/dib/dib.h"

#if defined(PHOTOLOAD_HAVE_PNG) || defined(PHOTOLOAD_HAVE_HEIF)
#include "canvas.h"
#include "decoders.h"
#endif

namespace photo_test {

Rgb FromDib(gmem::Handle dib)
{
    Rgb out;
    vistrel::dib::LockedBlock block(dib);
    vistrel::dib::Layout layout;
    if (!block || !vistrel::dib::DescribeDIB(block.bytes(), block.size(), layout) || layout.header.biBitCount != 24)
        return out;
    out.width = layout.width;
    out.height = layout.height;
    out.pixels.resize(std::size_t{out.width} * out.height * 3);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = block.bytes() + layout.bitsOffset + (out.height - 1 - y) * layout.stride;
        std::uint8_t* to = out.pixels.data() + std::size_t{y} * out.width * 3;
        for (std::uint32_t x = 0; x < out.width; ++x) {
            to[3 * x] = row[3 * x + 2];
            to[3 * x + 1] = row[3 * x + 1];
            to[3 * x + 2] = row[3 * x];
        }
    }
    return out;
}

bool LoadPpm(const fs::path& path, Rgb& out)
{
    std::ifstream in(path, std::ios::binary);
    // Header words, with comment lines (vips writes one) skipped.
    auto word = [&in](std::string& text) {
        while (in >> text && text[0] == '#')
            in.ignore(1 << 20, '\n');
        return static_cast<bool>(in);
    };
    std::string magic, w, h, max;
    if (!word(magic) || !word(w) || !word(h) || !word(max) || magic != "P6" || max != "255")
        return false;
    out.width = static_cast<std::uint32_t>(std::stoul(w));
    out.height = static_cast<std::uint32_t>(std::stoul(h));
    in.get();
    out.pixels.resize(std::size_t{out.width} * out.height * 3);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(out.pixels.data()), std::streamsize(out.pixels.size())));
}

bool HaveProgram(const char* path)
{
#ifdef _WIN32
    (void)path;
    return false;
#endif
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool HaveConvert()
{
#ifdef _WIN32
    return false; // the Linux programs are visible under Wine, but cannot be run from it
#else
    return HaveProgram(kConvert);
#endif
}

bool RunCommand(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

Rgb Reference(const fs::path& file, const std::string& options)
{
    Rgb out;
    const fs::path ppm = file.string() + ".reference.ppm";
    if (RunCommand(std::string(kConvert) + " " + Quoted(file) + " " + options + " -depth 8 ppm:" + Quoted(ppm)))
        LoadPpm(ppm, out);
    return out;
}

double Psnr(const Rgb& a, const Rgb& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sum += d * d;
    }
    if (sum == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.pixels.size())));
}

int MaxDifference(const Rgb& a, const Rgb& b)
{
    if (a.width != b.width || a.height != b.height)
        return 256;
    int most = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        most = std::max(most, std::abs(int(a.pixels[i]) - int(b.pixels[i])));
    return most;
}

double MeanDifference(const Rgb& a, const Rgb& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 256;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return sum / double(a.pixels.size());
}

double ShareWithin(const Rgb& a, const Rgb& b, int tolerance)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0;
    std::size_t within = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        within += std::abs(int(a.pixels[i]) - int(b.pixels[i])) <= tolerance;
    return double(within) / double(a.pixels.size());
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

namespace {

Decoded Finish(gmem::Handle dib)
{
    Decoded d;
    d.dib.reset(dib);
    if (dib)
        d.rgb = FromDib(dib);
    else
        d.error = vistrel::photoload::PhotoLastError();
    return d;
}

} // namespace

std::string PngWaysDiffer(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request)
{
#ifdef PHOTOLOAD_HAVE_PNG
    using namespace vistrel::photoload;
    struct Read {
        gmem::Owner dib;
        std::string error;
    };
    auto read = [&](PngRows way) {
        Canvas canvas(request);
        const bool decoded = DecodePngRows(FileBytes{bytes.data(), bytes.size()}, canvas, way);
        return Read{gmem::Owner(decoded ? canvas.Finish() : nullptr), canvas.Error()};
    };
    const Read fast = read(PngRows::kFastest), whole = read(PngRows::kLibspng);
    if (!fast.dib || !whole.dib) {
        if (fast.dib || whole.dib)
            return std::string("only ") + (fast.dib ? "the fast way" : "libspng") + " reads it (" + fast.error +
                   whole.error + ")";
        return fast.error == whole.error ? "" : "the errors differ: " + fast.error + " / " + whole.error;
    }
    vistrel::dib::LockedBlock a(fast.dib.get()), b(whole.dib.get());
    if (a.size() != b.size() || std::memcmp(a.bytes(), b.bytes(), a.size()) != 0)
        return "the pictures differ";
#else
    (void)bytes;
    (void)request;
#endif
    return {};
}

std::string HeifWaysDiffer(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request)
{
#ifdef PHOTOLOAD_HAVE_HEIF
    using namespace vistrel::photoload;
    struct Read {
        gmem::Owner dib;
        std::string error;
    };
    auto read = [&](HevcThreads threads) {
        Canvas canvas(request);
        const bool decoded = DecodeHeifWith(FileBytes{bytes.data(), bytes.size()}, canvas, threads);
        return Read{gmem::Owner(decoded ? canvas.Finish() : nullptr), canvas.Error()};
    };
    const Read every = read(HevcThreads::kEveryCore), one = read(HevcThreads::kLibheifs);
    if (!every.dib || !one.dib)
        return !every.dib == !one.dib && every.error == one.error ? ""
                                                                  : "only one way reads it: " + every.error + one.error;
    vistrel::dib::LockedBlock a(every.dib.get()), b(one.dib.get());
    if (a.size() != b.size() || std::memcmp(a.bytes(), b.bytes(), a.size()) != 0)
        return "the pictures differ";
#else
    (void)bytes;
    (void)request;
#endif
    return {};
}

namespace {

// Every PNG and HEIF picture a test reads is also read both ways, which
// must agree.
void ExpectWaysAgree(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0) {
        EXPECT_EQ(PngWaysDiffer(bytes, request), "");
    }
#ifdef PHOTOLOAD_HAVE_HEIF
    if (vistrel::photoload::Sniff(bytes.data(), bytes.size()) == vistrel::photoload::Format::kHeif) {
        EXPECT_EQ(HeifWaysDiffer(bytes, request), "");
    }
#endif
}

} // namespace

Decoded Decode(const fs::path& path, const vistrel::photoload::ReadRequest& request)
{
    std::error_code ec;
    if (fs::is_regular_file(path, ec))
        ExpectWaysAgree(ReadBytes(path), request);
    return Finish(vistrel::photoload::ReadPhoto(path.string().c_str(), request));
}

Decoded DecodeBytes(const std::vector<std::uint8_t>& bytes, const vistrel::photoload::ReadRequest& request)
{
    ExpectWaysAgree(bytes, request);
    return Finish(vistrel::photoload::ReadPhotoFromMemory(bytes.data(), bytes.size(), request));
}

bool Reads(const std::string& ending)
{
    const std::string list = std::string("\\") + vistrel::photoload::PhotoExtensions() + "\\";
    return list.find("\\" + ending + "\\") != std::string::npos;
}

Workshop::Workshop()
{
    std::random_device random;
    path_ = fs::temp_directory_path() / ("vistrel-photo-" + std::to_string(random()));
    fs::create_directories(path_);
}

Workshop::~Workshop()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path Workshop::Make(const std::string& name, const std::string& arguments)
{
    const fs::path out = path_ / name;
    RunCommand(std::string(kConvert) + " " + arguments + " " + Quoted(out));
    return out;
}

} // namespace photo_test
