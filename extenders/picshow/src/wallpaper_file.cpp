#include "wallpaper_file.h"

#include "vistrel/dib/dib.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <filesystem>

namespace picshow {

using namespace vistrel;

std::optional<std::string> WallpaperFilePath(std::string& error)
{
    std::string folder = platform::ApplicationDataFolder() + kWallpaperFolder + platform::PathSeparator();
    if (!platform::MakeFolders(folder)) {
        error = "The folder " + folder + " cannot be made";
        return std::nullopt;
    }
    return folder + kWallpaperFile;
}

std::string BitmapFileBytes(gmem::Handle dib)
{
    dib::LockedBlock block(dib);
    const std::size_t size = block.size();
    if (!block || size < dib::kInfoHeaderSize || size > UINT32_MAX - dib::kFileHeaderSize)
        return {};
    dib::InfoHeader h = dib::LoadHeader(block.bytes());
    std::uint64_t offBits =
        std::uint64_t{dib::kFileHeaderSize} + dib::kInfoHeaderSize + std::uint64_t{4} * dib::DIBNumColors(h);
    std::string bytes(dib::kFileHeaderSize, '\0');
    auto* header = reinterpret_cast<std::uint8_t*>(bytes.data());
    dib::StoreU16(header, dib::kBitmapType);
    dib::StoreU32(header + 2, static_cast<std::uint32_t>(size + dib::kFileHeaderSize));
    dib::StoreU32(header + 10, static_cast<std::uint32_t>(offBits));
    bytes.append(reinterpret_cast<const char*>(block.bytes()), size);
    return bytes;
}

bool WriteWallpaperFile(const std::string& path, gmem::Handle dib, std::string& error)
{
    std::string bytes = BitmapFileBytes(dib);
    if (bytes.empty()) {
        error = "WriteDIB: No DIB";
        return false;
    }
    return platform::ReplaceFileAtomically(path, bytes, error);
}

PreviousWallpaperFile::PreviousWallpaperFile(std::string path) : path_(std::move(path))
{
    std::error_code ec;
    existed_ = std::filesystem::exists(platform::PathFromUtf8(path_), ec);
    std::string error;
    if (existed_)
        bytes_ = platform::ReadWholeFile(path_, error, std::uint64_t{dib::kMaxPixelBytes} + (1u << 20));
}

void PreviousWallpaperFile::Restore() const
{
    std::string error;
    if (bytes_) {
        platform::ReplaceFileAtomically(path_, *bytes_, error);
    } else if (!existed_) {
        std::error_code ec;
        std::filesystem::remove(platform::PathFromUtf8(path_), ec);
    }
}

} // namespace picshow
