// SPDX-License-Identifier: GPL-3.0-or-later
// File helpers that the standard library covers on every system.
#include "vistrel/platform/files.h"

#include "vistrel/platform/folder_listing.h"

#include <filesystem>
#include <fstream>
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
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    std::streamoff length = in.tellg();
    if (length < 0) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(length) > limit) {
        error = path + " is too large";
        return std::nullopt;
    }
    in.seekg(0, std::ios::beg);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    if (length > 0 && !in.read(bytes.data(), length)) {
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
