// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "vistrel/platform/paths.h"
#include "vistrel/platform/settings_store.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace vistrel::test {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() / ("vistrel-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
                                         "-" + std::to_string(stamp % 1000000));
    fs::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::Folder() const { return path_.string() + platform::PathSeparator(); }

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

RecordingSink::RecordingSink() { SetMessageSink(this); }

RecordingSink::~RecordingSink() { SetMessageSink(nullptr); }

int RecordingSink::Show(std::string_view text, std::string_view, unsigned style)
{
    messages.emplace_back(std::string(text), style);
    return VISTREL_IDOK;
}

namespace {

// Paths the build gave are the build machine's; under Wine its root is drive Z:.
fs::path BuildPath(std::string path)
{
#ifdef _WIN32
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
#endif
    return fs::path(path);
}

} // namespace

fs::path BinDir()
{
    std::string dir = platform::Environment("VISTREL_BIN_DIR");
    return BuildPath(dir.empty() ? VISTREL_TEST_BIN_DIR : dir);
}

fs::path FakesDir() { return BuildPath(VISTREL_TEST_FAKES_DIR); }

std::string LibraryFile(const std::string& name)
{
#ifdef _WIN32
    return name + ".dll";
#else
    return name + ".so";
#endif
}

ProgramDir::ProgramDir()
{
    for (const char* kind : {"Read_Expander", "Middle_Expander", "View_Expander", "Scheduler_Expander"})
        fs::create_directories(dir_.Path() / kind);
}

void ProgramDir::Add(const std::string& kindFolder, const fs::path& library, const std::string& asName)
{
    fs::path target = dir_.Path() / kindFolder / (asName.empty() ? library.filename() : fs::path(asName));
    fs::copy_file(library, target, fs::copy_options::overwrite_existing);
}

void ProgramDir::AddStandardFakes()
{
    Add("Read_Expander", FakesDir() / LibraryFile("FakeReader"));
    Add("View_Expander", FakesDir() / LibraryFile("FakeViewer"));
    Add("Scheduler_Expander", BinDir() / "Scheduler_Expander" / LibraryFile("Clockpace"));
}

PrivateSettings::PrivateSettings()
{
#ifdef _WIN32
    // A key of its own below HKEY_CURRENT_USER, unique per test process.
    location_ = "Software\\VistrelTests\\" + std::to_string(getpid()) + "-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
#else
    location_ = dir_.File("Vistrel.ini");
#endif
    platform::settings::SetLocation(location_);
}

PrivateSettings::~PrivateSettings() { platform::settings::SetLocation(""); }

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace vistrel::test
