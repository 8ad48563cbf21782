// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper files in the "Vistrel" folder of the user's application-data
// folder, replaced whole at every change: "VistrelImage.bmp" holds the
// primary monitor's picture, "VistrelImage2.bmp", "VistrelImage3.bmp", ...
// the other monitors' in their order, and "VistrelImageAll.bmp" the picture
// of the whole layout for desktops that show one picture across all monitors.
#pragma once

#include "vistrel/platform/global_memory.h"
#include "vistrel/wallpaper/picture.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vistrel::wallpaper {

inline constexpr const char* kWallpaperFolder = "Vistrel";
inline constexpr const char* kWallpaperFile = "VistrelImage.bmp";
inline constexpr const char* kLayoutFile = "VistrelImageAll.bmp";

// The folder with its trailing separator, made as needed; nullopt with
// `error` when it cannot be made.
std::optional<std::string> WallpaperFolderPath(std::string& error);

// "VistrelImage.bmp"'s path, its folders made as needed.
std::optional<std::string> WallpaperFilePath(std::string& error);

// The file name of monitor `index`'s picture (0: the primary monitor's,
// kWallpaperFile).
std::string MonitorFileName(std::size_t index);

// The bitmap file of a DIB block: the 14-byte file header, then the whole
// block as it is, exactly as WriteDIB stores it. Empty when the block is not
// a DIB.
std::string BitmapFileBytes(gmem::Handle dib);

// Replaces the file with the DIB atomically: readers and a crash see the old
// picture or the new one, never part of one. False with `error` otherwise,
// the old file then being untouched.
bool WriteWallpaperFile(const std::string& path, gmem::Handle dib, std::string& error);

// The same for a DIB's bytes already locked (so that another thread may
// write them while this one shows the same block).
bool WriteWallpaperBytes(const std::string& path, const std::uint8_t* dib, std::size_t size, std::string& error);

// The same for 24-bit pixels, written as an uncompressed bitmap file.
bool WritePictureFile(const std::string& path, const PictureView& picture, std::string& error);

// The wallpaper file as it was before a change, so that a picture the
// desktop refused does not stay in the file the desktop points at (and
// reads again at the next login). Kept as a second name of the same file
// ("<file>.previous") where the file system allows that, so that nothing is
// copied; else its bytes are read.
class PreviousWallpaperFile {
public:
    explicit PreviousWallpaperFile(std::string path);
    // The second name goes unless Restore used it.
    ~PreviousWallpaperFile();
    PreviousWallpaperFile(PreviousWallpaperFile&& other) noexcept;
    PreviousWallpaperFile& operator=(PreviousWallpaperFile&&) = delete;
    PreviousWallpaperFile(const PreviousWallpaperFile&) = delete;
    PreviousWallpaperFile& operator=(const PreviousWallpaperFile&) = delete;

    // Puts the previous content back, or removes the file when there was
    // none. A previous file that could not be kept is left as the change made it.
    void Restore() const;

private:
    std::string path_;
    bool existed_ = false;
    mutable std::string link_; // the second name, while there is one
    std::optional<std::string> bytes_;
};

} // namespace vistrel::wallpaper
