// SPDX-License-Identifier: GPL-3.0-or-later
// The small key helper both programs use for their shared settings; one
// object per operation, closed when it goes away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistrel {

inline constexpr const char* kSchedulerKey = "Software\\Vistrel\\Vistrel\\Scheduler";
inline constexpr const char* kRecentFileListKey = "Software\\Vistrel\\Vistrel\\Recent File List";
// The buffer ReadText reads a text into, its terminator included.
inline constexpr std::size_t kTextBufferBytes = 200;

class CRegistryKey {
public:
    // Result codes, as the registry gives them.
    static constexpr long kSuccess = 0;
    static constexpr long kFileNotFound = 2;
    static constexpr long kMoreData = 234;
    static constexpr long kInvalidHandle = 6;
    static constexpr long kWriteFault = 29;

    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens an existing key below the current user's root.
    bool Open(const std::string& subkey);
    // Opens the key, creating it when missing.
    bool Create(const std::string& subkey);
    // On failure the destination is not touched.
    bool ReadNumber(const std::string& name, std::uint32_t& destination);
    bool WriteNumber(const std::string& name, std::uint32_t value);
    // Texts that do not fit kTextBufferBytes with their terminator (200
    // bytes or more) count as failures.
    bool ReadText(const std::string& name, std::string& destination);
    bool WriteText(const std::string& name, const std::string& value);
    bool DeleteValue(const std::string& name);
    void Close();

    bool IsOpen() const { return open_; }
    long LastResult() const { return result_; }
    const std::string& KeyName() const { return key_; }

private:
    bool open_ = false;
    std::string key_;
    long result_ = kSuccess;
};

} // namespace vistrel
