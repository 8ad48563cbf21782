// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/wallpaper/wallpaper_file.h"

#include "vistrel/dib/dib.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <cstring>
#include <filesystem>

namespace vistrel::wallpaper {

std::optional<std::string> WallpaperFolderPath(std::string& error)
{
    std::string folder = platform::ApplicationDataFolder() + kWallpaperFolder + platform::PathSeparator();
    if (!platform::MakeFolders(folder)) {
        error = "The folder " + folder + " cannot be made";
        return std::nullopt;
    }
    return folder;
}

std::optional<std::string> WallpaperFilePath(std::string& error)
{
    std::optional<std::string> folder = WallpaperFolderPath(error);
    if (!folder)
        return std::nullopt;
    return *folder + kWallpaperFile;
}

std::string MonitorFileName(std::size_t index)
{
    return index == 0 ? std::string(kWallpaperFile) : "VistrelImage" + std::to_string(index + 1) + ".bmp";
}

namespace {

// The 14-byte file header for a DIB of `size` bytes.
std::string FileHeader(const std::uint8_t* dibBytes, std::size_t size)
{
    dib::InfoHeader h = dib::LoadHeader(dibBytes);
    std::uint64_t offBits =
        std::uint64_t{dib::kFileHeaderSize} + dib::kInfoHeaderSize + std::uint64_t{4} * dib::DIBNumColors(h);
    std::string bytes(dib::kFileHeaderSize, '\0');
    auto* header = reinterpret_cast<std::uint8_t*>(bytes.data());
    dib::StoreU16(header, dib::kBitmapType);
    dib::StoreU32(header + 2, static_cast<std::uint32_t>(size + dib::kFileHeaderSize));
    dib::StoreU32(header + 10, static_cast<std::uint32_t>(offBits));
    return bytes;
}

} // namespace

std::string BitmapFileBytes(gmem::Handle dib)
{
    dib::LockedBlock block(dib);
    const std::size_t size = block.size();
    if (!block || size < dib::kInfoHeaderSize || size > UINT32_MAX - dib::kFileHeaderSize)
        return {};
    std::string bytes = FileHeader(block.bytes(), size);
    bytes.append(reinterpret_cast<const char*>(block.bytes()), size);
    return bytes;
}

bool WriteWallpaperFile(const std::string& path, gmem::Handle dib, std::string& error)
{
    dib::LockedBlock block(dib);
    return WriteWallpaperBytes(path, block ? block.bytes() : nullptr, block ? block.size() : 0, error);
}

bool WriteWallpaperBytes(const std::string& path, const std::uint8_t* bytes, std::size_t size, std::string& error)
{
    if (!bytes || size < dib::kInfoHeaderSize || size > UINT32_MAX - dib::kFileHeaderSize) {
        error = "WriteDIB: No DIB";
        return false;
    }
    // The picture is made again at every change, so it is not flushed to disk
    // (which takes longer than the rest of the write); readers still see the
    // old picture or the new one, never a part. The file header and the DIB
    // are written one after the other, never copied together.
    const std::string header = FileHeader(bytes, size);
    return platform::ReplaceFileAtomically(path, {header, std::string_view(reinterpret_cast<const char*>(bytes), size)},
                                           error, platform::Durability::kReplaceOnly);
}

bool WritePictureFile(const std::string& path, const PictureView& picture, std::string& error)
{
    if (!CheckPicture(picture, error))
        return false;
    const std::size_t pixels = PictureView::RowStride(picture.width) * static_cast<std::size_t>(picture.height);
    if (pixels > UINT32_MAX - dib::kFileHeaderSize - dib::kInfoHeaderSize) {
        error = "The picture is too large for a bitmap file";
        return false;
    }
    std::string header(dib::kFileHeaderSize + dib::kInfoHeaderSize, '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(header.data());
    dib::StoreU16(bytes, dib::kBitmapType);
    dib::StoreU32(bytes + 2, static_cast<std::uint32_t>(header.size() + pixels));
    dib::StoreU32(bytes + 10, static_cast<std::uint32_t>(header.size()));
    dib::InfoHeader info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<std::uint32_t>(pixels);
    info.biXPelsPerMeter = dib::kDefaultPelsPerMeter;
    info.biYPelsPerMeter = dib::kDefaultPelsPerMeter;
    dib::StoreHeader(bytes + dib::kFileHeaderSize, info);
    return platform::ReplaceFileAtomically(
        path, {header, std::string_view(reinterpret_cast<const char*>(picture.rows), pixels)}, error,
        platform::Durability::kReplaceOnly);
}

PreviousWallpaperFile::PreviousWallpaperFile(std::string path) : path_(std::move(path))
{
    std::error_code ec;
    const std::filesystem::path file = platform::PathFromUtf8(path_);
    existed_ = std::filesystem::exists(file, ec);
    if (!existed_)
        return;
    // A second name from a change that was killed goes first.
    const std::filesystem::path link = platform::PathFromUtf8(path_ + ".previous");
    std::filesystem::remove(link, ec);
    std::filesystem::create_hard_link(file, link, ec);
    if (!ec) {
        link_ = path_ + ".previous";
        return;
    }
    std::string error;
    bytes_ = platform::ReadWholeFile(path_, error, std::uint64_t{dib::kMaxPixelBytes} + (1u << 20));
}

PreviousWallpaperFile::PreviousWallpaperFile(PreviousWallpaperFile&& other) noexcept
    : path_(std::move(other.path_)), existed_(other.existed_), link_(std::move(other.link_)),
      bytes_(std::move(other.bytes_))
{
    other.link_.clear();
}

PreviousWallpaperFile::~PreviousWallpaperFile()
{
    std::error_code ec;
    if (!link_.empty())
        std::filesystem::remove(platform::PathFromUtf8(link_), ec);
}

void PreviousWallpaperFile::Restore() const
{
    std::error_code ec;
    if (!link_.empty()) {
        // The replacement gave the file a new inode; the old one comes back
        // under its name in one step.
        std::filesystem::rename(platform::PathFromUtf8(link_), platform::PathFromUtf8(path_), ec);
        if (!ec) {
            link_.clear();
            return;
        }
    }
    std::string error;
    if (bytes_) {
        platform::ReplaceFileAtomically(path_, *bytes_, error);
    } else if (!existed_) {
        std::filesystem::remove(platform::PathFromUtf8(path_), ec);
    }
}

} // namespace vistrel::wallpaper
