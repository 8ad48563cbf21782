// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dib_builders.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/write.h"

namespace vistrel::dib {
namespace {

std::vector<std::uint8_t> Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WriteDIBTest : public ::testing::Test {
protected:
    // A name with a non-ASCII letter: paths are UTF-8 on every platform.
    std::filesystem::path dir_ = std::filesystem::temp_directory_path() /
                                 ("vistrel-write-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Name(const char* leaf) const
    {
        auto u8 = (dir_ / std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(leaf)))).u8string();
        return std::string(u8.begin(), u8.end());
    }
};

TEST_F(WriteDIBTest, WritesTheFileHeaderAndTheWholeBlock)
{
    gmem::Owner rgb(test::Uniform24(3, 2, 7));
    std::string name = Name("Bild\xC3\xBC.bmp");
    ASSERT_TRUE(WriteDIB(name.c_str(), rgb.get()));
    auto file = Slurp(std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(name.c_str()))));
    ASSERT_EQ(file.size(), 14 + 40 + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(LoadU32(&file[2]), file.size());
    EXPECT_EQ(LoadU32(&file[6]), 0u);
    EXPECT_EQ(LoadU32(&file[10]), 54u);
    test::View v = test::Look(rgb.get());
    EXPECT_TRUE(std::equal(v.bytes.begin(), v.bytes.end(), file.begin() + 14));

    gmem::Owner pal(test::MakeDib(1, 1, 8, std::vector<std::uint32_t>(256, 0), [](std::uint32_t, std::uint32_t) { return 0; }));
    ASSERT_TRUE(WriteDIB(Name("p.bmp").c_str(), pal.get()));
    file = Slurp(dir_ / "p.bmp");
    EXPECT_EQ(LoadU32(&file[10]), 1078u);
    EXPECT_EQ(LoadU32(&file[2]), file.size());
}

TEST_F(WriteDIBTest, ReportsEachFailure)
{
    gmem::Owner rgb(test::Uniform24(1, 1, 7));
    EXPECT_FALSE(WriteDIB(Name("a.bmp").c_str(), nullptr));
    EXPECT_STREQ(DibLastError(), "WriteDIB: No DIB");
    EXPECT_FALSE(WriteDIB(nullptr, rgb.get()));
    EXPECT_STREQ(DibLastError(), "WriteDIB: No Name");
    EXPECT_FALSE(WriteDIB(Name("missing/a.bmp").c_str(), rgb.get()));
    EXPECT_STREQ(DibLastError(), "WriteDIB: Can't open BMP output file");
}

} // namespace
} // namespace vistrel::dib
