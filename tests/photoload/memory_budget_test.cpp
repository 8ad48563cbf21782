// SPDX-License-Identifier: GPL-3.0-or-later
// Every read within its memory budget: hostile pictures made here (they
// compress to little), each read in a child process under an address-space
// limit, with the memory it took measured. A picture the decoder would hold
// too much of is refused at once with the reason; one that streams is read
// within the budget and a small margin; no read ends the process.
#include "photo_support.h"

#include "vistrel/photoload/read_photo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifdef PHOTO_TEST_HAVE_JXL_ENCODER
#include <jxl/encode.h>
#endif

using namespace vistrel;

namespace {

constexpr std::uint64_t kMB = 1u << 20;
// What a read may take beyond its budget: the libraries' small structures,
// threads, the rows in flight.
constexpr std::uint64_t kMargin = 48 * kMB;

// A kB figure of /proc/self/status.
std::uint64_t StatusKB(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stoull(line.substr(std::string(field).size()));
    return 0;
}

struct Outcome {
    bool exited = false;  // the child ended by itself (no signal, no abort)
    bool decoded = false; // a picture came out
    std::uint64_t peakBytes = 0;
    std::string error;
};

// Reads `file` in a child under an address-space limit of what it has now
// plus twice the budget; the growth of its resident memory at its peak.
Outcome ReadInChild(const std::vector<std::uint8_t>& file, std::uint64_t budget)
{
    int report[2];
    EXPECT_EQ(::pipe(report), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const std::uint64_t before = StatusKB("VmRSS:") * 1024;
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = StatusKB("VmSize:") * 1024 + 2 * budget + 256 * kMB;
        ::setrlimit(RLIMIT_AS, &limit);
        photoload::ReadRequest request;
        request.memoryBudget = budget;
        gmem::Handle picture = photoload::ReadPhotoFromMemory(file.data(), file.size(), request);
        const std::uint64_t peak = StatusKB("VmHWM:") * 1024 - before;
        std::string text = std::to_string(peak) + "\n" + (picture ? "" : photoload::PhotoLastError());
        [[maybe_unused]] ssize_t n = ::write(report[1], text.data(), text.size());
        ::_exit(picture ? 0 : 1);
    }
    ::close(report[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome outcome;
    outcome.exited = WIFEXITED(status);
    outcome.decoded = outcome.exited && WEXITSTATUS(status) == 0;
    if (std::size_t line = text.find('\n'); line != std::string::npos) {
        outcome.peakBytes = std::stoull(text.substr(0, line));
        outcome.error = text.substr(line + 1);
    }
    return outcome;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data)
{
    Put32(png, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    Put32(png, photo_test::Crc32(body.data(), body.size()));
}

// A zlib stream of `count` zero bytes without a compressor: one literal
// zero, then copies of 258 bytes from one back, in fixed Huffman codes
// (13 bits for each 258 bytes), so gigabytes take megabytes and no time.
std::vector<std::uint8_t> ZeroStream(std::uint64_t count)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::uint64_t bits = 0;
    int used = 0;
    auto put = [&](std::uint32_t value, int n) { // LSB first
        bits |= std::uint64_t{value} << used;
        used += n;
        while (used >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            used -= 8;
        }
    };
    auto putCode = [&](std::uint32_t code, int n) { // Huffman codes go MSB first
        std::uint32_t reversed = 0;
        for (int i = 0; i < n; ++i)
            reversed |= ((code >> i) & 1u) << (n - 1 - i);
        put(reversed, n);
    };
    put(1, 1);        // the last block
    put(1, 2);        // fixed codes
    putCode(0x30, 8); // literal 0
    std::uint64_t left = count - 1;
    while (left >= 258 + 3 || left == 258) {
        putCode(0xC5, 8); // length 258 (code 285)
        putCode(0, 5);    // distance 1
        left -= 258;
    }
    for (; left > 0; --left)
        putCode(0x30, 8);
    putCode(0, 7); // end of block
    if (used > 0)
        put(0, 8 - used);
    // Adler-32 of zeros: a = 1, b = count mod 65521.
    const std::uint32_t adler = static_cast<std::uint32_t>((count % 65521) << 16 | 1);
    Put32(out, adler);
    return out;
}

// An all-black 16-bit RGBA PNG, interlaced or not.
std::vector<std::uint8_t> BlackPng(std::uint32_t width, std::uint32_t height, bool interlaced)
{
    std::uint64_t bytes = 0;
    if (!interlaced) {
        bytes = std::uint64_t{height} * (1 + std::uint64_t{width} * 8);
    } else {
        static const int x0[] = {0, 4, 0, 2, 0, 1, 0}, dx[] = {8, 8, 4, 4, 2, 2, 1};
        static const int y0[] = {0, 0, 4, 0, 2, 0, 1}, dy[] = {8, 8, 8, 4, 4, 2, 2};
        for (int pass = 0; pass < 7; ++pass) {
            std::uint64_t w = width > std::uint32_t(x0[pass]) ? (width - x0[pass] + dx[pass] - 1) / dx[pass] : 0;
            std::uint64_t h = height > std::uint32_t(y0[pass]) ? (height - y0[pass] + dy[pass] - 1) / dy[pass] : 0;
            if (w > 0)
                bytes += h * (1 + w * 8);
        }
    }
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    Put32(ihdr, width);
    Put32(ihdr, height);
    ihdr.insert(ihdr.end(), {16, 6, 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
    PutChunk(png, "IHDR", ihdr);
    PutChunk(png, "IDAT", ZeroStream(bytes));
    PutChunk(png, "IEND", {});
    return png;
}

#ifdef PHOTO_TEST_HAVE_JXL_ENCODER
// A black JPEG XL picture with an alpha channel, encoded at the fastest effort.
std::vector<std::uint8_t> BlackJxlWithAlpha(std::uint32_t width, std::uint32_t height)
{
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = width;
    info.ysize = height;
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.num_extra_channels = 1;
    info.alpha_bits = 8;
    info.uses_original_profile = JXL_FALSE;
    std::vector<std::uint8_t> out;
    if (JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS) {
        JxlColorEncoding colour;
        JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
        JxlEncoderSetColorEncoding(encoder, &colour);
        JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
        JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 1);
        JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
        std::vector<std::uint8_t> pixels(std::size_t{width} * height * 4, 0);
        if (JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()) == JXL_ENC_SUCCESS) {
            JxlEncoderCloseInput(encoder);
            out.resize(4096);
            std::uint8_t* next = out.data();
            std::size_t avail = out.size();
            JxlEncoderStatus status;
            while ((status = JxlEncoderProcessOutput(encoder, &next, &avail)) == JXL_ENC_NEED_MORE_OUTPUT) {
                const std::size_t done = static_cast<std::size_t>(next - out.data());
                out.resize(out.size() * 2);
                next = out.data() + done;
                avail = out.size() - done;
            }
            out.resize(status == JXL_ENC_SUCCESS ? static_cast<std::size_t>(next - out.data()) : 0);
        }
    }
    JxlEncoderDestroy(encoder);
    return out;
}
#endif

void Report(const char* what, const Outcome& o)
{
    std::cout << what << ": " << (o.decoded ? "read" : "refused") << ", peak " << o.peakBytes / kMB << " MB"
              << (o.error.empty() ? "" : " (" + o.error + ")") << "\n";
}

} // namespace

TEST(MemoryBudget, HostilePngsAreRefusedOrReadWithinTheBudget)
{
    // 16384 x 16384 interlaced: the decoder gathers 1 GiB of rows before
    // the first goes on. Refused under the default budget at once.
    const Outcome big = ReadInChild(BlackPng(16384, 16384, true), photoload::kDefaultMemoryBudget);
    Report("16384 x 16384 interlaced 16-bit RGBA PNG", big);
    ASSERT_TRUE(big.exited);
    EXPECT_FALSE(big.decoded);
    EXPECT_NE(big.error.find("MB to read, more than the 1024 MB allowed"), std::string::npos) << big.error;
    EXPECT_LT(big.peakBytes, 64 * kMB) << "refused before anything large";

    // The same at 2048 x 2048 under a budget of 24 MB: the rows gathered
    // (16 MB) and the picture (12 MB) do not fit; not interlaced, the rows
    // stream into the picture and it does.
    const std::uint64_t budget = 24 * kMB;
    const Outcome interlaced = ReadInChild(BlackPng(2048, 2048, true), budget);
    Report("2048 x 2048 interlaced, 24 MB allowed", interlaced);
    ASSERT_TRUE(interlaced.exited);
    EXPECT_FALSE(interlaced.decoded);
    EXPECT_NE(interlaced.error.find("more than the 24 MB allowed"), std::string::npos) << interlaced.error;
    const Outcome plain = ReadInChild(BlackPng(2048, 2048, false), budget);
    Report("2048 x 2048 plain, 24 MB allowed", plain);
    ASSERT_TRUE(plain.exited);
    EXPECT_TRUE(plain.decoded) << plain.error;
    EXPECT_LT(plain.peakBytes, budget + kMargin);
}

#ifdef PHOTO_TEST_HAVE_JXL_ENCODER
TEST(MemoryBudget, JpegXlWithAlphaIsRefusedBeforeLibjxlAllocates)
{
    const std::vector<std::uint8_t> file = BlackJxlWithAlpha(1024, 1024);
    ASSERT_FALSE(file.empty());
    const Outcome refused = ReadInChild(file, 16 * kMB);
    Report("1024 x 1024 JPEG XL with alpha, 16 MB allowed", refused);
    ASSERT_TRUE(refused.exited) << "libjxl must never end the process";
    EXPECT_FALSE(refused.decoded);
    EXPECT_NE(refused.error.find("more than the 16 MB allowed"), std::string::npos) << refused.error;
    EXPECT_LT(refused.peakBytes, 16 * kMB + kMargin);

    const Outcome read = ReadInChild(file, 64 * kMB);
    Report("1024 x 1024 JPEG XL with alpha, 64 MB allowed", read);
    ASSERT_TRUE(read.exited);
    EXPECT_TRUE(read.decoded) << read.error;
    EXPECT_LT(read.peakBytes, 64 * kMB + kMargin);
}
#endif

#ifdef PHOTO_TEST_HAVE_JXL_ENCODER
// libjxl's own diagnostics stay off our error output; the first of them
// becomes part of the reason.
TEST(MemoryBudget, LibjxlsChatterStaysInTheReason)
{
    std::vector<std::uint8_t> file = BlackJxlWithAlpha(64, 64);
    ASSERT_GT(file.size(), 40u);
    for (std::size_t i = 20; i < file.size(); i += 7)
        file[i] ^= 0x5A;
    ::testing::internal::CaptureStderr();
    gmem::Handle picture = photoload::ReadPhotoFromMemory(file.data(), file.size());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(picture, nullptr);
    gmem::Free(picture);
    EXPECT_EQ(said, "");
    const std::string why = photoload::PhotoLastError();
    EXPECT_EQ(why.rfind("JPEG XL: the file is damaged", 0), 0u) << why;
}
#endif
