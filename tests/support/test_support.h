// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests share: temporary folders, a program directory with chosen
// extenders, a message recorder and a private settings store.
#pragma once

#include "vistrel/core/message_sink.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vistrel::test {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // The folder's path with a trailing separator, as program directories have.
    std::string Folder() const;
    std::string File(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Records every message instead of showing it; installed for its lifetime.
class RecordingSink final : public MessageSink {
public:
    RecordingSink();
    ~RecordingSink() override;
    int Show(std::string_view text, std::string_view caption, unsigned style) override;
    std::vector<std::pair<std::string, unsigned>> messages;
};

// The folder the build puts the shipped programs and extenders in.
std::filesystem::path BinDir();
// The folder of the fake extenders.
std::filesystem::path FakesDir();
// File name of an extender: name + ".so" or ".dll".
std::string LibraryFile(const std::string& name);

// A program directory in a temporary folder with the four extender folders;
// Add copies an extender library (from the fakes or the shipped tree) in.
class ProgramDir {
public:
    ProgramDir();
    void Add(const std::string& kindFolder, const std::filesystem::path& library, const std::string& asName = {});
    // Fake reader and viewer, a second reader, and the shipped Clockpace.
    void AddStandardFakes();
    std::string Folder() const { return dir_.Folder(); }

private:
    TempDir dir_;
};

// Points the settings store at a file of a temporary folder for the test's lifetime.
class PrivateSettings {
public:
    PrivateSettings();
    ~PrivateSettings();
    std::string Location() const { return location_; }

private:
    TempDir dir_;
    std::string location_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace vistrel::test
