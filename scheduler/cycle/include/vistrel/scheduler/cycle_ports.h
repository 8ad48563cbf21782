// SPDX-License-Identifier: GPL-3.0-or-later
// What the change cycle needs from the world around it, as two small
// interfaces: the list file on disk, and the host (tray, timers, waiting,
// starting programs). The program gives the real ones; tests give their own
// so that every rule runs without waiting and with failures on demand.
#pragma once

#include "vistrel/core/list_file.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vistrel::scheduler {

// One attempt to read the list file into a list that was just Reset.
struct ListRead {
    ListLoadStatus status = ListLoadStatus::Unreadable;
    // Another program holds the file right now; worth another attempt.
    bool busy = false;
    std::string detail;
};

class ListFiles {
public:
    virtual ~ListFiles() = default;
    // The file's last-write time; 0 when it cannot be found.
    virtual std::int64_t LastWriteTime(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual ListRead Read(const std::string& path, CWallpaperList& list) = 0;
    // Replaces the file with the list as a whole; on failure the old file
    // stays and `error` says why.
    virtual bool Write(const std::string& path, const CWallpaperList& list, std::string& error) = 0;
};

// The list file on disk through the core's reader and atomic writer. "Busy"
// is a sharing violation on Windows; elsewhere, a file whose last-write time
// moved while it was being read (someone is writing it in place).
class DiskListFiles final : public ListFiles {
public:
    std::int64_t LastWriteTime(const std::string& path) override;
    bool Exists(const std::string& path) override;
    ListRead Read(const std::string& path, CWallpaperList& list) override;
    bool Write(const std::string& path, const CWallpaperList& list, std::string& error) override;
};

// The periods of the three timers, in milliseconds.
struct TimerPlan {
    std::uint32_t checkMs = 0; // timer 1004
    std::uint32_t saveMs = 0;  // timer 1005
    // Timer 1007; none when the list has no scheduler block, which leaves the
    // poll timer as it was.
    std::optional<std::uint32_t> pollMs;
};

class CycleHost {
public:
    virtual ~CycleHost() = default;
    // The tray's icon and tooltip, by resource id.
    virtual void ShowStatus(int iconId, int tooltipId) = 0;
    // Hide the tray icon and show it again, so that an icon lost by a
    // restarted panel comes back.
    virtual void RefreshTrayIcon() = 0;
    virtual void ArmTimers(const TimerPlan& plan) = 0;
    // The cycle's waits (before each change attempt, between attempts to
    // read a busy file). The program keeps answering its menu meanwhile;
    // commands that arrive find the cycle busy, and a close asks it to stop.
    virtual void Wait(std::chrono::milliseconds duration) = 0;
    // A problem the user should know of, shown without stopping anything.
    virtual void ReportProblem(const std::string& text) = 0;
    // Starts a program without arguments; false when it could not start.
    virtual bool StartProgram(const std::string& path) = 0;
};

} // namespace vistrel::scheduler
