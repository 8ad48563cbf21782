// The wallpaper file "VistrelImage.bmp" in the "Vistrel" folder of the
// user's application-data folder, replaced whole at every change.
#pragma once

#include "vistrel/platform/global_memory.h"

#include <optional>
#include <string>

namespace picshow {

inline constexpr const char* kWallpaperFolder = "Vistrel";
inline constexpr const char* kWallpaperFile = "VistrelImage.bmp";

// The file's path, its folders made as needed; nullopt with `error` when the
// folder cannot be made.
std::optional<std::string> WallpaperFilePath(std::string& error);

// The bitmap file of a DIB block: the 14-byte file header, then the whole
// block as it is, exactly as WriteDIB stores it. Empty when the block is not
// a DIB.
std::string BitmapFileBytes(vistrel::gmem::Handle dib);

// Replaces the file with the DIB atomically: readers and a crash see the old
// picture or the new one, never part of one. False with `error` otherwise,
// the old file then being untouched.
bool WriteWallpaperFile(const std::string& path, vistrel::gmem::Handle dib, std::string& error);

} // namespace picshow
