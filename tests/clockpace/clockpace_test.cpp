// SPDX-License-Identifier: GPL-3.0-or-later
#include "interval_rule.h"
#include "test_support.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

std::uint64_t LastChange(const std::uint8_t* b)
{
    return std::uint64_t{ReadU32(b + 48)} | std::uint64_t{ReadU32(b + 52)} << 32;
}

void SetInterval(std::uint8_t* b, std::int32_t hours, std::int32_t minutes)
{
    WriteU32(b + 56, static_cast<std::uint32_t>(hours));
    WriteU32(b + 60, static_cast<std::uint32_t>(minutes));
}

class ClockpaceModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
        ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
        clockpace = registry.FirstScheduler();
    }
    ProgramDir dir;
    CExtenderRegistry registry;
    ExtenderHandle clockpace = nullptr;
};

} // namespace

TEST_F(ClockpaceModule, DefaultBlockIsExactly64Bytes)
{
    auto* block = static_cast<std::uint8_t*>(ext::GetDefParams(clockpace));
    ASSERT_NE(block, nullptr);
    ASSERT_GE(gmem::Size(block), 64u);
    std::uint8_t expected[64] = {};
    WriteU32(expected, 64);
    WriteU32(expected + 4, 100);
    std::memcpy(expected + 8, "T0001-CLOCKPACE              ", 29);
    WriteU32(expected + 40, 1);
    WriteU32(expected + 44, 30000);
    WriteU32(expected + 60, 30);
    EXPECT_EQ(std::memcmp(block, expected, 64), 0);
    EXPECT_EQ(block[37], 0) << "the identifier ends with a zero at offset 37";
    gmem::Free(block);

    EXPECT_STREQ(ext::ID(clockpace), "T0001-CLOCKPACE              ");
    EXPECT_STREQ(ext::Version(clockpace), "5.1.0.43 [Apr 25 2000]");
    EXPECT_STREQ(ext::ShortName(clockpace), "Clockpace");
    EXPECT_EQ(std::string(ext::Description(clockpace)).rfind("Standard Timer Scheduler - Extender\r\n\r\n", 0), 0u);
}

TEST_F(ClockpaceModule, DescriptionsAndTheFirstPoll)
{
    auto* block = static_cast<std::uint8_t*>(ext::GetDefParams(clockpace));
    struct Case {
        int hours, minutes;
        const char* text;
    };
    for (const Case& c : {Case{0, 30, "Change Wallpaper every 30 mins"}, Case{2, 0, "Change Wallpaper every 2 hrs "},
                          Case{2, 30, "Change Wallpaper every 2 hrs and 30 mins"}}) {
        SetInterval(block, c.hours, c.minutes);
        char* text = ext::TimeSchedulationDescription(clockpace, block);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.text);
        gmem::Free(text);
    }
    EXPECT_TRUE(ext::DaemonFunction(clockpace, block)) << "a block never changed is due at once";
    EXPECT_NE(LastChange(block), 0u);
    EXPECT_FALSE(ext::DaemonFunction(clockpace, block)) << "and not again within the interval";
    gmem::Free(block);
}

TEST(IntervalRule, DueStrictlyAfterTheIntervalCountedFromTheLastChange)
{
    std::uint8_t block[64];
    clockpace::FillDefaultBlock(block);
    SetInterval(block, 0, 1);
    const std::uint64_t start = clockpace::TicksFromCivil(2026, 12, 8, 10, 0, 0, 0);
    ASSERT_TRUE(clockpace::IsChangeDue(block, start));
    EXPECT_EQ(LastChange(block), start);
    EXPECT_FALSE(clockpace::IsChangeDue(block, start + clockpace::kTicksPerMinute)) << "60 s is not more than 1 min";
    EXPECT_EQ(LastChange(block), start) << "not due: the block stays";
    EXPECT_TRUE(clockpace::IsChangeDue(block, start + clockpace::kTicksPerMinute + 1));

    // A clock set back makes the difference wrap: due at once, from the new time.
    const std::uint64_t earlier = start - 3600ull * 10000000ull;
    EXPECT_TRUE(clockpace::IsChangeDue(block, earlier));
    EXPECT_EQ(LastChange(block), earlier);

    SetInterval(block, 2, 30);
    EXPECT_FALSE(clockpace::IsChangeDue(block, earlier + 150 * clockpace::kTicksPerMinute));
    EXPECT_TRUE(clockpace::IsChangeDue(block, earlier + 150 * clockpace::kTicksPerMinute + 1));
}

TEST(IntervalRule, SmallBlocksAreNeverDueAndDescribeNoInterval)
{
    std::uint8_t block[64];
    clockpace::FillDefaultBlock(block);
    WriteU32(block, 40);
    EXPECT_FALSE(clockpace::IsChangeDue(block, 12345));
    EXPECT_EQ(clockpace::Describe(block), "Change Wallpaper every");
    EXPECT_FALSE(clockpace::IsChangeDue(nullptr, 1));
}

TEST(IntervalRule, HugeValuesAreCutNotOverflowed)
{
    std::uint8_t block[64];
    clockpace::FillDefaultBlock(block);
    SetInterval(block, -2000000000, 2000000000);
    std::string text = clockpace::Describe(block);
    EXPECT_EQ(text.rfind("Change Wallpaper every -2000000", 0), 0u) << text;
}

// A crafted block's interval can pass what 64 bits hold: it is held at the
// largest interval rather than wrapping round to a short one. Every interval
// that fits keeps its exact value.
TEST(IntervalRule, IntervalsBeyond64BitsAreHeldAtTheLargest)
{
    std::uint8_t block[64];
    clockpace::FillDefaultBlock(block);
    const std::uint64_t start = clockpace::TicksFromCivil(2026, 12, 8, 10, 0, 0, 0);
    const std::uint64_t tenYears = 10ull * 365 * 24 * 60 * clockpace::kTicksPerMinute;
    auto dueAfter = [&](std::int32_t hours, std::int32_t minutes, std::uint64_t elapsed) {
        SetInterval(block, hours, minutes);
        WriteU32(block + 48, static_cast<std::uint32_t>(start));
        WriteU32(block + 52, static_cast<std::uint32_t>(start >> 32));
        return clockpace::IsChangeDue(block, start + elapsed);
    };
    // Wrapped modulo 2^64, this one would come every 1.8 minutes.
    EXPECT_FALSE(dueAfter(512409557, 38, 10 * clockpace::kTicksPerMinute));
    EXPECT_FALSE(dueAfter(2000000000, 0, tenYears));
    EXPECT_FALSE(dueAfter(2000000000, 2000000000, tenYears));
    EXPECT_FALSE(dueAfter(-2000000000, 0, tenYears)) << "a negative interval is a huge one, compared unsigned";
    EXPECT_TRUE(dueAfter(2000000000, 0, 0 - clockpace::kTicksPerMinute)) << "a clock set back is still due at once";

    // The largest hours that fit keep their exact interval.
    const std::int32_t hours = 256204778;
    const std::uint64_t interval = std::uint64_t{hours} * 60 * clockpace::kTicksPerMinute;
    EXPECT_FALSE(dueAfter(hours, 0, interval));
    EXPECT_TRUE(dueAfter(hours, 0, interval + 1));
}

TEST(IntervalRule, LocalTicksCountFrom1601)
{
    EXPECT_EQ(clockpace::TicksFromCivil(1601, 1, 1, 0, 0, 0, 0), 0u);
    EXPECT_EQ(clockpace::TicksFromCivil(1970, 1, 1, 0, 0, 0, 0), 116444736000000000ull);
    EXPECT_EQ(clockpace::TicksFromCivil(2000, 2, 29, 12, 30, 15, 250) -
                  clockpace::TicksFromCivil(2000, 2, 28, 12, 30, 15, 0),
              864000000000ull + 2500000ull);
    std::uint64_t now = clockpace::LocalTicksNow();
    EXPECT_GT(now, clockpace::TicksFromCivil(2020, 1, 1, 0, 0, 0, 0));
}
