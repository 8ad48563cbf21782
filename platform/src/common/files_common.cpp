// SPDX-License-Identifier: GPL-3.0-or-later
// File helpers that the standard library covers on every system.
#include "vistrel/platform/files.h"

#include "vistrel/platform/folder_listing.h"
#include "vistrel/platform/input_file.h"

#include <filesystem>
#include <system_error>

namespace vistrel::platform {

namespace fs = std::filesystem;

std::string Utf8FromPath(const std::filesystem::path& path)
{
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error, std::uint64_t limit)
{
    // Opened without waiting: a list or a picture that became a FIFO or a
    // link to a device is refused rather than read forever.
    InputFile file;
    std::string why;
    if (!file.Open(path, why, true)) {
        error = "cannot open " + path + ": " + why;
        return std::nullopt;
    }
    if (file.Size() > limit) {
        error = path + " is too large";
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

bool MakeFolders(const std::string& folder)
{
    std::error_code ec;
    fs::path p = PathFromUtf8(folder);
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder)
{
    FolderListing listing;
    if (!listing.Read(folder))
        return std::nullopt;
    std::vector<FolderEntry> entries;
    entries.reserve(listing.Size());
    for (std::size_t i = 0; i < listing.Size(); ++i) {
        const FolderListing::Entry& e = listing[i];
        entries.push_back({std::string(listing.Name(e)), e.isFolder, e.hidden, e.isLink});
    }
    return entries;
}

} // namespace vistrel::platform
