// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/wallpaper/monitor_pictures.h"

#include "draw.h"

#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/expand.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"
#include "vistrel/wallpaper/wallpaper_file.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

namespace vistrel::wallpaper {

namespace {

// Uncompressed 24-bit pixels of a DIB: the block itself where it has that
// form, else its expansion (kept in `expanded`). Empty view when neither.
PictureView PixelsOf(gmem::Handle dib, gmem::Owner& expanded, std::unique_ptr<dib::LockedBlock>& lock)
{
    auto plain24 = [](gmem::Handle block, dib::Layout& layout) {
        dib::LockedBlock locked(block);
        return locked && dib::DescribeDIB(locked.bytes(), locked.size(), layout) && layout.header.biBitCount == 24 &&
               layout.header.biCompression == dib::kRgb;
    };
    dib::Layout layout;
    gmem::Handle shown = dib;
    if (!plain24(dib, layout)) {
        expanded.reset(dib::ExpandDIBTo24(dib));
        if (!expanded || !plain24(expanded.get(), layout))
            return {};
        shown = expanded.get();
    }
    lock = std::make_unique<dib::LockedBlock>(shown);
    return {static_cast<int>(layout.width), static_cast<int>(layout.height), lock->bytes() + layout.bitsOffset,
            layout.stride * layout.height};
}

// Monitor files of an earlier layout with more monitors are removed, so the
// folder holds the pictures of the monitors there are.
void RemoveFilesBeyond(const std::string& folder, std::size_t count)
{
    for (std::size_t i = std::max<std::size_t>(count, 1); i < 64; ++i) {
        std::error_code ec;
        if (!std::filesystem::remove(platform::PathFromUtf8(folder + MonitorFileName(i)), ec))
            break;
    }
}

} // namespace

bool MonitorPictureInstaller::Prepare(std::string& error)
{
    BackendChoice choice = ChooseBackend();
    installer_ = CreateInstaller(choice.backend, choice.commandTemplate);
    if (!installer_) {
        error = choice.backend == Backend::None
                    ? choice.error
                    : "The wallpaper backend \"" + std::string(wallpaper::BackendName(choice.backend)) +
                          "\" is not available in this build";
        return false;
    }
    return true;
}

std::string_view MonitorPictureInstaller::BackendName() const { return installer_ ? installer_->Name() : "none"; }

bool MonitorPictureInstaller::Install(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures,
                                      std::string& error)
{
    if (!PreparePixels(layout, pictures, error))
        return false;
    // The files are written on a second core while the desktop gets the
    // pixels: the bare X11 root needs no file, and a backend that reads
    // them waits for them first (WallpaperInstaller::FilesWritten).
    std::string writeError;
    bool written = false, joined = false;
    std::thread writer;
    try {
        writer = std::thread([&] { written = WriteTheFiles(pictures, writeError); });
    } catch (const std::system_error&) {
        written = WriteTheFiles(pictures, writeError);
        joined = true;
    }
    auto join = [&](std::string& why) {
        if (!joined) {
            writer.join();
            joined = true;
        }
        if (!written)
            why = writeError;
        return written;
    };
    installer_->SetFilesPending(join);
    bool applied = installer_->ApplyMonitors(layout, wallpapers_, error);
    installer_->SetFilesPending(nullptr);
    std::string ignored;
    if (!join(ignored) && applied) {
        // The desktop took the pictures, but the files that should hold them
        // could not be written: no success to report.
        error = writeError;
        applied = false;
    }
    return Finish(applied);
}

void MonitorPictureInstaller::RestoreFiles()
{
    for (const PreviousWallpaperFile& file : previous_)
        file.Restore();
    previous_.clear();
}

bool MonitorPictureInstaller::PreparePixels(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures,
                                            std::string& error)
{
    if (!installer_ && !Prepare(error))
        return false;
    if (pictures.size() != layout.monitors.size() || pictures.empty()) {
        error = "There is not one picture for every monitor";
        return false;
    }
    std::optional<std::string> folder = WallpaperFolderPath(error);
    if (!folder)
        return false;
    folder_ = *folder;
    previous_.clear();
    wallpapers_.clear();
    expansions_ = std::vector<gmem::Owner>(pictures.size());
    locks_ = std::vector<std::unique_ptr<dib::LockedBlock>>(pictures.size());
    // The compositions' bytes, locked here once: the files are written from
    // them on another thread, which must not lock the blocks itself.
    sources_.clear();
    for (const MonitorPicture& picture : pictures)
        sources_.push_back(std::make_unique<dib::LockedBlock>(picture.dib));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        MonitorWallpaper w;
        w.area = layout.monitors[i].area;
        w.monitor = layout.monitors[i].name;
        w.file = folder_ + MonitorFileName(i);
        w.style = pictures[i].style;
        w.pixels = PixelsOf(pictures[i].dib, expansions_[i], locks_[i]);
        if (!w.pixels.rows) {
            error = "The picture for " + w.monitor + " cannot be shown: " + std::string(dib::DibLastError());
            return false;
        }
        wallpapers_.push_back(std::move(w));
    }
    return true;
}

bool MonitorPictureInstaller::WriteTheFiles(const std::vector<MonitorPicture>& pictures, std::string& error)
{
    for (std::size_t i = 0; i < pictures.size() && i < wallpapers_.size() && i < sources_.size(); ++i) {
        previous_.emplace_back(wallpapers_[i].file);
        const dib::LockedBlock& source = *sources_[i];
        if (!WriteWallpaperBytes(wallpapers_[i].file, source ? source.bytes() : nullptr, source ? source.size() : 0,
                                 error)) {
            RestoreFiles();
            return false;
        }
    }
    return true;
}

bool MonitorPictureInstaller::WriteFiles(const MonitorLayout& layout, const std::vector<MonitorPicture>& pictures,
                                         std::string& error)
{
    return PreparePixels(layout, pictures, error) && WriteTheFiles(pictures, error);
}

bool MonitorPictureInstaller::Hand(const MonitorLayout& layout, std::string& error)
{
    if (!installer_ || wallpapers_.size() != layout.monitors.size()) {
        error = "No wallpaper files were written for the monitors";
        return false;
    }
    return Finish(installer_->ApplyMonitors(layout, wallpapers_, error));
}

bool MonitorPictureInstaller::Finish(bool applied)
{
    if (!applied)
        RestoreFiles(); // the desktop still shows the previous pictures: so do the files
    else
        RemoveFilesBeyond(folder_, wallpapers_.size());
    previous_.clear();
    wallpapers_.clear();
    locks_.clear();
    sources_.clear();
    expansions_.clear();
    return applied;
}

std::vector<gmem::Owner> CutForMonitors(const MonitorLayout& layout, gmem::Handle dib, Style style, std::string& error)
{
    gmem::Owner expanded;
    std::unique_ptr<dib::LockedBlock> lock;
    PictureView pixels = PixelsOf(dib, expanded, lock);
    if (!pixels.rows) {
        error = "The spanned picture cannot be shown: " + std::string(dib::DibLastError());
        return {};
    }
    const Rect bounds = layout.Bounds();
    std::optional<detail::PictureCanvas> canvas = detail::PictureCanvas::Make(bounds, layout.background, error);
    if (!canvas)
        return {};
    detail::DrawPicture(*canvas, pixels, bounds, style);
    const Picture& whole = canvas->picture();
    const std::size_t wholeStride = PictureView::RowStride(whole.width);
    std::vector<gmem::Owner> parts;
    for (const Monitor& m : layout.monitors) {
        gmem::Owner part(dib::NewDIB(static_cast<std::uint32_t>(m.area.width),
                                     static_cast<std::uint32_t>(m.area.height), 24, 0, dib::kDefaultPelsPerMeter,
                                     dib::kDefaultPelsPerMeter));
        dib::LockedBlock block(part.get());
        dib::Layout partLayout;
        if (!part || !block || !dib::DescribeDIB(block.bytes(), block.size(), partLayout)) {
            error = "No memory for the part of the spanned picture on " + m.name;
            return {};
        }
        for (int y = 0; y < m.area.height; ++y) {
            // Both bottom-up: row y from the top of the monitor.
            const std::uint8_t* from = whole.rows.data() +
                                       static_cast<std::size_t>(bounds.Bottom() - 1 - (m.area.y + y)) * wholeStride +
                                       3 * static_cast<std::size_t>(m.area.x - bounds.x);
            std::uint8_t* to = block.bytes() + partLayout.bitsOffset +
                               static_cast<std::size_t>(m.area.height - 1 - y) * partLayout.stride;
            std::memcpy(to, from, 3 * static_cast<std::size_t>(m.area.width));
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

} // namespace vistrel::wallpaper
