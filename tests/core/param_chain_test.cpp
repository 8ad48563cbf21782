// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/platform/global_memory.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace vistrel;

namespace {

std::vector<std::uint8_t> Block(const char* id, std::uint32_t size, std::uint8_t fill = 0)
{
    std::vector<std::uint8_t> b(size, fill);
    WriteU32(b.data(), size);
    std::memset(b.data() + 8, 0, 30);
    std::memcpy(b.data() + 8, id, std::strlen(id));
    return b;
}

void* GlobalChain(const std::vector<std::uint8_t>& bytes)
{
    void* g = gmem::Alloc(gmem::kFixed, bytes.size());
    std::memcpy(g, bytes.data(), bytes.size());
    return g;
}

} // namespace

TEST(ParamChain, EditsKeepOrderCountAndLength)
{
    CParamChain chain;
    EXPECT_EQ(chain.GetCount(), 0);
    EXPECT_EQ(chain.GetLength(), 4u);
    EXPECT_EQ(chain.GetBlock(0), nullptr);

    auto reader = Block("R0001-READ", 44, 1), viewer = Block("V0001-VIEW", 72, 2), middle = Block("M0001-MID", 48, 3);
    ASSERT_TRUE(chain.Append(reader.data(), reader.size()));
    ASSERT_TRUE(chain.Append(viewer.data(), viewer.size()));
    ASSERT_TRUE(chain.InsertBeforeLast(middle.data(), middle.size()));
    EXPECT_EQ(chain.GetCount(), 3);
    EXPECT_EQ(chain.GetLength(), 4u + 44 + 48 + 72);
    EXPECT_EQ(BlockId(chain.GetBlock(0)), "R0001-READ");
    EXPECT_EQ(BlockId(chain.GetBlock(1)), "M0001-MID");
    EXPECT_EQ(BlockId(chain.GetBlock(2)), "V0001-VIEW");
    EXPECT_EQ(chain.GetBlock(2)[71], 2);

    EXPECT_EQ(chain.FindById("M0001-MID"), 1);
    EXPECT_EQ(chain.FindById("M0001-MI"), -1);
    ASSERT_TRUE(chain.Append(middle.data(), middle.size()));
    EXPECT_EQ(chain.FindById("M0001-MID"), 3) << "the last matching block is found";

    EXPECT_TRUE(chain.RemoveLast());
    EXPECT_TRUE(chain.Remove(1));
    EXPECT_FALSE(chain.Remove(2));
    EXPECT_EQ(chain.GetCount(), 2);
    EXPECT_EQ(BlockId(chain.GetBlock(1)), "V0001-VIEW");
}

TEST(ParamChain, InsertBeforeLastOfEmptyChainAppends)
{
    CParamChain chain;
    auto b = Block("X", 40);
    ASSERT_TRUE(chain.InsertBeforeLast(b.data(), b.size()));
    EXPECT_EQ(chain.GetCount(), 1);
}

TEST(ParamChain, AttachDetachRoundTripsAndGrowthMovesTheBuffer)
{
    CParamChain built;
    auto reader = Block("R", 44);
    built.Append(reader.data(), reader.size());
    void* copy = built.CopyOut();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(gmem::Size(copy), 48u);

    CParamChain chain;
    ASSERT_TRUE(chain.Attach(copy, 48));
    EXPECT_EQ(chain.GetLength(), 48u);
    auto big = Block("V", 400);
    ASSERT_TRUE(chain.Append(big.data(), big.size()));
    void* back = chain.Detach();
    EXPECT_EQ(chain.GetCount(), 0) << "a detached chain is empty";
    EXPECT_EQ(CParamChain::WalkLength(back, gmem::Size(back)), 448u);
    gmem::Free(back);
}

TEST(ParamChain, DamagedChainsShowNoBlocksAndRefuseEdits)
{
    auto good = Block("R", 44);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> smallBlock = {1, 0, 0, 0};
    auto tiny = Block("R", 39);
    smallBlock.insert(smallBlock.end(), tiny.begin(), tiny.end());
    std::vector<std::uint8_t> pastEnd = {2, 0, 0, 0};
    pastEnd.insert(pastEnd.end(), good.begin(), good.end()); // claims two blocks, holds one
    std::vector<std::uint8_t> hugeSize = {1, 0, 0, 0};
    auto lying = Block("R", 44);
    WriteU32(lying.data(), 0x7FFFFFF0);
    hugeSize.insert(hugeSize.end(), lying.begin(), lying.end());

    for (const Case& c : {Case{"negative count", negative}, Case{"block below 40 bytes", smallBlock},
                          Case{"blocks past the end", pastEnd}, Case{"size beyond the buffer", hugeSize}}) {
        void* buffer = GlobalChain(c.bytes);
        CParamChain chain;
        EXPECT_FALSE(chain.Attach(buffer, c.bytes.size())) << c.what;
        EXPECT_TRUE(chain.IsDamaged()) << c.what;
        EXPECT_EQ(chain.GetCount(), 0) << c.what;
        EXPECT_EQ(chain.GetBlock(0), nullptr) << c.what;
        EXPECT_EQ(chain.FindById("R"), -1) << c.what;
        EXPECT_FALSE(chain.Append(good.data(), good.size())) << c.what;
        EXPECT_FALSE(chain.Remove(0)) << c.what;
        EXPECT_EQ(chain.CopyOut(), nullptr) << c.what;
        EXPECT_EQ(chain.Detach(), buffer) << c.what << ": the buffer comes back untouched";
        EXPECT_EQ(std::memcmp(buffer, c.bytes.data(), c.bytes.size()), 0) << c.what;
        gmem::Free(buffer);
    }
}

TEST(ParamChain, RefusesBlocksThatClaimMoreThanTheyHold)
{
    CParamChain chain;
    auto b = Block("R", 44);
    EXPECT_FALSE(chain.Append(b.data(), 43));
    void* fresh = gmem::Alloc(gmem::kFixed | gmem::kZeroInit, 40);
    WriteU32(fresh, 4000); // a default block whose size word lies
    EXPECT_FALSE(chain.AppendAndFree(fresh));
    EXPECT_EQ(chain.GetCount(), 0);
}
