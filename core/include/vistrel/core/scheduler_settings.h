// SPDX-License-Identifier: GPL-3.0-or-later
// The settings the two programs share: how often the scheduler checks for a
// changed list and saves its counters, whether it is active, and which list
// is the current one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

struct SchedulerSettings {
    std::uint32_t checkMinutes = 2; // "ChkNewFileInterval", at least 1
    std::uint32_t saveMinutes = 60; // "SaveFileInterval", at least 10
    std::uint32_t active = 1;       // "Active"
};

// Defaults when the key is missing; a missing value counts as 0, then the
// lower bounds apply.
SchedulerSettings ReadSchedulerSettings();
// Writes the opposite of the current "Active", creating the key if needed;
// returns the new state.
std::uint32_t ToggleActive();
bool WriteActive(std::uint32_t active);
// "File1", or empty when there is none (or it is 200 bytes or longer).
std::string ReadCurrentList();
// Whether the scheduler can read `path` back from "File1": it reads that
// value into 200 bytes, terminator included, so longer names are lost to it.
bool FitsCurrentList(const std::string& path);

// The list manager's recent-file list: up to 10 names, "File1" the most recent.
class RecentFileList {
public:
    static constexpr std::size_t kSize = 10;

    // Every name the list holds, however long: the 200-byte limit is the
    // scheduler's reading of "File1" alone.
    void Load();
    // Moves `path` to the front (an equal name, letter case ignored, moves
    // rather than repeats).
    void Add(const std::string& path);
    void Remove(std::size_t index);
    // Writes "File1".."File10", removing values beyond the list.
    bool Save() const;
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
};

} // namespace vistrel
