// SPDX-License-Identifier: GPL-3.0-or-later
// Bitload as the programs see it: the real module, loaded by absolute path,
// its operations looked up by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "bmp_builder.h"
#include "vistrel/dib/dib.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

namespace {

class Bitload : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* bin = std::getenv("VISTREL_BIN_DIR");
        if (!bin)
            return;
#if defined(_WIN32)
        std::string path = std::string(bin) + "/Read_Expander/Bitload.dll";
        std::wstring wide(path.begin(), path.end());
        module_ = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
#else
        std::string path = std::string(bin) + "/Read_Expander/Bitload.so";
        module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    }
    void SetUp() override
    {
        if (!module_)
            GTEST_SKIP() << "Bitload module not found (VISTREL_BIN_DIR unset or not built)";
    }
    template <class Fn>
    static Fn Op(const char* name)
    {
        const std::string symbol = std::string(VISTREL_SYMBOL_PREFIX) + name;
#if defined(_WIN32)
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), symbol.c_str())));
#else
        return reinterpret_cast<Fn>(dlsym(module_, symbol.c_str()));
#endif
    }
    static std::string Text(const char* name) { return Op<VistrelTextFn>(name)(); }
    static inline void* module_ = nullptr;
};

TEST_F(Bitload, DescribesItself)
{
    // The error text is empty until the first failure.
    EXPECT_STREQ(Op<VistrelGetErrorFn>("getError")(), "");
    EXPECT_EQ(Text("ID"), "R0001-BITLOAD                ");
    EXPECT_EQ(Text("ID").size(), 29u);
    EXPECT_EQ(Text("version"), "5.1.0.24 [Apr 25 2000]");
    EXPECT_EQ(Text("shortname"), "Bitload");
    EXPECT_EQ(Text("returnType"), "image");
    EXPECT_EQ(Text("extensions"), ".bmp\\.bitmap");
    EXPECT_EQ(Text("extensions").size(), 12u);
    EXPECT_EQ(Text("description").rfind("Standard Windows(r) bitmap reader - Extender\r\n", 0), 0u);
    EXPECT_EQ(Op<VistrelSetupDialogFn>("setupDialog")("x", nullptr), nullptr);
}

TEST_F(Bitload, MakesItsDefaultParameterBlock)
{
    void* block = Op<VistrelGetDefParamsFn>("GetDefParams")();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(vistrel::gmem::IsMoveable(block));
    EXPECT_EQ(vistrel::gmem::Size(block), 44u);
    auto* b = static_cast<const std::uint8_t*>(block);
    EXPECT_EQ(vistrel::dib::LoadU32(b), 44u);
    EXPECT_EQ(vistrel::dib::LoadU32(b + 4), 100u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 8)), "R0001-BITLOAD                ");
    EXPECT_EQ(b[37], 0);
    EXPECT_EQ(vistrel::dib::LoadU32(b + 40), 1u);
    vistrel::gmem::Free(block);
}

TEST_F(Bitload, ReadsFilesAndKeepsTheLastError)
{
    auto read = Op<VistrelReadFn>("read");
    auto getError = Op<VistrelGetErrorFn>("getError");
    EXPECT_EQ(read(nullptr, nullptr), nullptr);
    EXPECT_STREQ(getError(), "ReadDIB: No Name");

    const std::string dir = ::testing::TempDir();
    vistrel::bitload::test::Bmp bad;
    bad.type = "BA";
    for (auto [name, file] : {std::pair{"bad.bmp", bad.Bytes()}, std::pair{"good.bmp", vistrel::bitload::test::Bmp{}.Bytes()}}) {
        std::FILE* f = std::fopen((dir + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    EXPECT_EQ(read((dir + "bad.bmp").c_str(), nullptr), nullptr);
    EXPECT_STREQ(getError(), "ReadDIB: Can't read BMP info");
    VistrelGlobal dib = read((dir + "good.bmp").c_str(), nullptr);
    ASSERT_NE(dib, nullptr);
    EXPECT_TRUE(vistrel::gmem::IsMoveable(dib)); // the caller's movable block
    EXPECT_EQ(vistrel::gmem::Size(dib), 44u);
    EXPECT_STREQ(getError(), "ReadDIB: Can't read BMP info");
    vistrel::gmem::Free(dib);
}

} // namespace
