// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a picture or a list to read it, without ever waiting. A name in a
// list may since have become a FIFO (whose open waits for a writer that never
// comes), a link to a device that never ends, a folder or an empty file: each
// is refused at once, with a reason a user understands, instead of hanging
// the program or reading forever.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistrel::platform {

class InputFile {
public:
    InputFile() = default;
    ~InputFile() { Close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a regular file for reading. False, with `why` set, for anything
    // else: "there is no such file", "it is a folder", "it is a FIFO, not a
    // file", "it is a device, not a file", "it is empty" (unless
    // `allowEmpty`), "it cannot be opened: <the system's reason>". Never
    // waits: a FIFO or a device is opened without blocking and let go.
    bool Open(const std::string& utf8Path, std::string& why, bool allowEmpty = false);
    bool IsOpen() const;
    // The size the file had when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `bytes` from `offset`; how many came (fewer at the end of
    // the file or after an error).
    std::size_t ReadAt(std::uint64_t offset, void* into, std::size_t bytes) const;
    void Close();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::uint64_t size_ = 0;
};

// Why `utf8Path` cannot be read as a picture (opened as InputFile::Open
// opens it, then closed again), or empty when it can.
std::string WhyUnreadable(const std::string& utf8Path, bool allowEmpty = false);

// Why `utf8Path`, which exists, is no file to read ("it is a folder", "it is
// a FIFO, not a file", ...), found without opening it; empty for a regular
// file and for a name that is not there (or cannot be looked at).
std::string WhyNotAFile(const std::string& utf8Path);

} // namespace vistrel::platform
