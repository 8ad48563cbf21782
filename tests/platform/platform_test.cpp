// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "common/settings_ini.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel/platform/instance_lock.h"
#include "vistrel/platform/process.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vistrel;
using namespace vistrel::test;

TEST(GlobalMemory, FixedAndMovableBlocksKeepTheirRules)
{
    void* fixed = gmem::Alloc(gmem::kFixed | gmem::kZeroInit, 100);
    ASSERT_NE(fixed, nullptr);
    EXPECT_FALSE(gmem::IsMoveable(fixed));
    EXPECT_EQ(gmem::Lock(fixed), fixed);
    EXPECT_GE(gmem::Size(fixed), 100u);
    EXPECT_EQ(static_cast<unsigned char*>(fixed)[99], 0);
    std::memset(fixed, 7, 100);
    fixed = gmem::ReAlloc(fixed, 5000, gmem::kZeroInit);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(fixed)[99], 7);
    EXPECT_EQ(static_cast<unsigned char*>(fixed)[4999], 0);
    EXPECT_EQ(gmem::Free(fixed), nullptr);

    gmem::Handle moving = gmem::Alloc(gmem::kMoveable | gmem::kZeroInit, 64);
    ASSERT_NE(moving, nullptr);
    EXPECT_TRUE(gmem::IsMoveable(moving));
    auto* bytes = static_cast<unsigned char*>(gmem::Lock(moving));
    ASSERT_NE(bytes, nullptr);
    EXPECT_NE(static_cast<void*>(bytes), moving);
    bytes[63] = 9;
    gmem::Unlock(moving);
    // Growing far past the first size keeps the handle and the contents.
    ASSERT_EQ(gmem::ReAlloc(moving, 8u << 20, gmem::kZeroInit), moving);
    bytes = static_cast<unsigned char*>(gmem::Lock(moving));
    EXPECT_EQ(bytes[63], 9);
    EXPECT_EQ(bytes[(8u << 20) - 1], 0);
    gmem::Unlock(moving);
    EXPECT_EQ(gmem::Size(moving), 8u << 20);
    EXPECT_EQ(gmem::Free(moving), nullptr);
    EXPECT_EQ(gmem::Free(nullptr), nullptr);
}

TEST(Files, AtomicReplaceKeepsTheOldFileOnFailureAndLeavesNoLitter)
{
    TempDir dir;
    std::string path = dir.File("list.vist");
    std::string error;
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, "first", error)) << error;
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, std::string(100000, 'x'), error)) << error;
    EXPECT_EQ(ReadFile(path).size(), 100000u);
    // Unflushed, for files made again whenever needed: replaced all the same.
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, "third", error, platform::Durability::kReplaceOnly)) << error;
    EXPECT_EQ(ReadFile(path), "third");
    // In pieces (a header and the block it heads), one after the other.
    const std::string block(70000, 'b');
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, {"BM", "", block}, error, platform::Durability::kReplaceOnly))
        << error;
    EXPECT_EQ(ReadFile(path), "BM" + block);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1) << "no temporary file stays behind";

    // A folder where the file should be: the rename fails and nothing changes.
    std::filesystem::create_directory(dir.Path() / "taken");
    EXPECT_FALSE(platform::ReplaceFileAtomically(dir.File("taken"), "data", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken"));
}

TEST(Files, ListingsAreSortedAndFilteredByEnding)
{
    TempDir dir;
    for (const char* name : {"b.so", "A.SO", "c.txt", "a2.so"})
        WriteFile(dir.Path() / name, "x");
    std::filesystem::create_directory(dir.Path() / "folder.so");
    auto names = platform::ListFiles(dir.Folder(), ".so");
#ifdef _WIN32
    EXPECT_EQ(names.size(), 3u);
#else
    EXPECT_EQ(names, (std::vector<std::string>{"A.SO", "a2.so", "b.so"}));
#endif
    EXPECT_TRUE(platform::ListFiles(dir.File("missing"), ".so").empty());
    EXPECT_FALSE(platform::ListFolder(dir.File("missing")).has_value());
}

TEST(SettingsIni, RoundTripsTypesAndSkipsDamage)
{
    using namespace platform::settings;
    IniDocument d = ParseIni("[Software\\Vistrel\\Vistrel\\Scheduler]\nActive=dword:1\nbroken line\n"
                             "Bad=dword:x\n[Other]\nFile1=\"C:\\\\a \\\"b\\\".vist\"\n");
    ASSERT_NE(d.Value("software\\vistrel\\vistrel\\scheduler", "ACTIVE"), nullptr);
    EXPECT_EQ(std::get<std::uint32_t>(*d.Value("Software\\Vistrel\\Vistrel\\Scheduler", "Active")), 1u);
    EXPECT_EQ(d.Value("Software\\Vistrel\\Vistrel\\Scheduler", "Bad"), nullptr);
    EXPECT_EQ(std::get<std::string>(*d.Value("Other", "File1")), "C:\\a \"b\".vist");
    IniDocument again = ParseIni(FormatIni(d));
    EXPECT_EQ(FormatIni(again), FormatIni(d));
    EXPECT_FALSE(d.Set("Missing", "x", std::uint32_t{1})) << "values need their key";
}

TEST(InstanceLock, HeldUntilReleasedAndRaiseRequestsArrive)
{
    std::string name = "LockTest-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    {
        platform::InstanceLock first(name);
        ASSERT_TRUE(first.Acquire());
        platform::InstanceLock second(name);
        EXPECT_FALSE(second.Acquire());
#ifndef _WIN32
        ASSERT_TRUE(first.Listen());
        EXPECT_TRUE(second.AskHolderToRaise());
        EXPECT_TRUE(first.TakeRaiseRequest());
        EXPECT_FALSE(first.TakeRaiseRequest());

        // A request may bring a message (a second start's command line),
        // NULs and all; a plain request brings an empty one.
        std::string message("open\0/home/a b.vist", 19);
        EXPECT_TRUE(second.AskHolderToRaise(message));
        EXPECT_TRUE(second.AskHolderToRaise());
        std::vector<std::string> messages;
        EXPECT_TRUE(first.TakeRaiseRequest(messages));
        EXPECT_EQ(messages, (std::vector<std::string>{message, ""}));
        EXPECT_FALSE(second.AskHolderToRaise(std::string(65 * 1024, 'x'))) << "too long to hand over";
#endif
    }
    platform::InstanceLock later(name);
    EXPECT_TRUE(later.Acquire()) << "the name is free once the holder is gone";
}

#ifndef _WIN32
// A program that writes much to both outputs is read on both at once, so it
// never blocks on a full pipe; its error output is kept up to 64 KiB.
TEST(Process, OutputAndErrorsAreCapturedTogether)
{
    std::string output, errors;
    const char* script =
        "i=0; while [ $i -lt 6000 ]; do echo out-line-$i; echo err-line-$i >&2; i=$((i+1)); done; exit 4";
    EXPECT_EQ(platform::RunProgram("sh", {"-c", script}, &output, &errors), 4);
    EXPECT_EQ(output.rfind("out-line-0\n", 0), 0u);
    EXPECT_NE(output.find("out-line-5999\n"), std::string::npos);
    EXPECT_EQ(errors.rfind("err-line-0\n", 0), 0u);
    EXPECT_EQ(errors.size(), 64u * 1024);
    errors.clear();
    EXPECT_EQ(platform::RunProgram("sh", {"-c", "echo only-errors >&2"}, nullptr, &errors), 0);
    EXPECT_EQ(errors, "only-errors\n");
}
#endif
