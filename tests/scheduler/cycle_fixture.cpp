// SPDX-License-Identifier: GPL-3.0-or-later
#include "cycle_fixture.h"

#include "vistrel/core/list_file.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/registry_key.h"

#include <filesystem>

namespace vistrel::scheduler::test {

namespace fs = std::filesystem;

int RecordingHost::Count(HostEvent::Kind kind, int a) const
{
    int n = 0;
    for (const auto& e : events)
        if (e.kind == kind && (a == -1 || e.a == a))
            ++n;
    return n;
}

std::pair<int, int> RecordingHost::LastStatus() const
{
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->kind == HostEvent::Status)
            return {it->a, it->b};
    return {0, 0};
}

ListRead TestFiles::Read(const std::string& path, CWallpaperList& list)
{
    ++reads;
    if (busyReads > 0) {
        --busyReads;
        ListRead busy;
        busy.busy = true;
        return busy;
    }
    return disk.Read(path, list);
}

bool TestFiles::Write(const std::string& path, const CWallpaperList& list, std::string& error)
{
    ++writes;
    if (!writeError.empty()) {
        error = writeError;
        return false;
    }
    return disk.Write(path, list, error);
}

void CycleTest::SetUp()
{
    dir.AddStandardFakes();
    ASSERT_TRUE(registry.LoadExtenders(dir.Folder()));
    MakeCycle();
}

void CycleTest::MakeCycle()
{
    CycleOptions options;
    options.programDirectory = dir.Folder();
    options.clock = [this] { return clockSeconds; };
    cycle = std::make_unique<SchedulerCycle>(registry, files, host, options);
}

std::string CycleTest::WriteList(const std::string& name, const std::vector<std::string>& entries, bool random,
                                 const std::vector<int>& priorities, std::uint32_t pollMs)
{
    CWallpaperList list(&registry);
    list.Reset();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_TRUE(list.InsertFile(lists.File(entries[i]), false)) << entries[i];
        if (i < priorities.size())
            list.SetText(static_cast<int>(i), kColPriority, std::to_string(priorities[i]));
    }
    list.SetRandom(random ? 1 : 0);
    std::uint8_t* block = list.GetSchedulerBlock();
    WriteU32(block + 44, pollMs);
    WriteU32(block + 56, 0); // hours
    WriteU32(block + 60, 0); // minutes: due whenever time has moved on
    std::string path = lists.File(name);
    std::string error;
    EXPECT_TRUE(WriteListFile(path, list, error)) << error;
    return path;
}

void CycleTest::UseList(const std::string& path)
{
    CRegistryKey key;
    ASSERT_TRUE(key.Create(kRecentFileListKey));
    ASSERT_TRUE(key.WriteText("File1", path));
}

void CycleTest::Touch(const std::string& path, int seconds)
{
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(seconds));
}

void CycleTest::MakeDue()
{
    std::uint8_t* block = cycle->List().GetSchedulerBlock();
    ASSERT_NE(block, nullptr);
    WriteU32(block + 48, 0);
    WriteU32(block + 52, 0);
}

std::uint64_t CycleTest::LastChangeTicks() const
{
    const std::uint8_t* block = cycle->List().GetSchedulerBlock();
    return block ? ReadU32(block + 48) | std::uint64_t{ReadU32(block + 52)} << 32 : 0;
}

std::string CycleTest::LastShown() const
{
    auto viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    return reinterpret_cast<const char* (*)()>(ext::Lookup(viewer, "FakeLastShown"))();
}

int CycleTest::ShowCount() const
{
    auto viewer = registry.Extenders(ExtenderKind::Viewer).at(0);
    return reinterpret_cast<int (*)()>(ext::Lookup(viewer, "FakeShowCount"))();
}

} // namespace vistrel::scheduler::test
