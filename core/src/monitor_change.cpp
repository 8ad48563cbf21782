// SPDX-License-Identifier: GPL-3.0-or-later
// A change on every monitor: the entry (for "each", one entry per monitor)
// composed by its viewer for each monitor, or once across all of them, and
// the pictures handed to the desktop at once.
#include "vistrel/core/wallpaper_list.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/wallpaper/monitor_pictures.h"
#include "vistrel/wallpaper/monitors.h"

#include <optional>

namespace vistrel {

namespace {

using wallpaper::Monitor;
using wallpaper::MonitorChoice;
using wallpaper::MonitorLayout;
using wallpaper::MonitorPicture;

// The most entries tried for one of the other monitors with "each" before
// it shows the primary monitor's entry too, as many as a change tries.
constexpr int kEntriesPerMonitor = 101;

VistrelScreen ScreenOf(const Monitor& m, std::uint32_t background)
{
    return {m.area.width, m.area.height, m.workArea.right, m.workArea.bottom, background};
}

// The rectangle holding every monitor, as one screen: a spanned picture's.
VistrelScreen SpannedScreen(const MonitorLayout& layout)
{
    const wallpaper::Rect bounds = layout.Bounds();
    return {bounds.width, bounds.height, bounds.width, bounds.height, layout.background};
}

wallpaper::Style StyleOf(std::uint32_t style)
{
    return style == VISTREL_STYLE_TILE ? wallpaper::Style::Tile : wallpaper::Style::Center;
}

} // namespace

gmem::Handle CWallpaperList::ComposeEntry(const Showable& entry, gmem::Handle image, const VistrelScreen& screen,
                                          std::uint32_t& style, std::string& why)
{
    auto compose = reinterpret_cast<VistrelComposeFn>(ext::Lookup(entry.viewer, "compose"));
    style = VISTREL_STYLE_CENTER;
    gmem::Handle picture = compose ? compose(image, entry.viewerBlock, &screen, &style) : nullptr;
    if (!picture) {
        const char* reason = ext::GetError(entry.viewer);
        why = "could not be shown" + (reason && *reason ? std::string(": ") + reason : std::string());
    }
    return picture;
}

bool CWallpaperList::ChangeOnMonitors(int index, const Showable& entry, const std::vector<int>* redraw)
{
    MonitorLayout layout = wallpaper::QueryMonitors();
    const std::size_t count = layout.monitors.size();
    // With one monitor the three choices are one.
    const MonitorChoice choice = count > 1 ? wallpaper::ReadMonitorChoice() : MonitorChoice::Same;
    // Without a desktop to hand the pictures to, nothing is read or composed,
    // and no entry is used up.
    wallpaper::MonitorPictureInstaller desktop;
    if (std::string error; !desktop.Prepare(error)) {
        changeError_ = entry.path + " could not be made the wallpaper: " + error;
        changeFailure_ = Failure::Desktop;
        return false;
    }

    // The Shown counts as they were, for a desktop that refuses: the entry's,
    // and with "each", which may start the round afresh while it picks, all.
    std::vector<std::string> shownBefore;
    if (choice == MonitorChoice::Each)
        for (int i = 0; i < GetCount(); ++i)
            shownBefore.push_back(rows_[i][kColShown]);
    const std::string entryShownBefore = rows_[index][kColShown];
    if (!redraw)
        MarkShown(index);
    std::vector<int> shownRows{index};

    // Every image and composition made, released at the end.
    std::vector<gmem::Owner> made;
    auto keep = [&](gmem::Handle handle) {
        made.emplace_back(handle);
        return handle;
    };
    // A composition may be the image itself: then it is not kept twice.
    auto keepComposition = [&](gmem::Handle picture, gmem::Handle image) {
        return picture == image ? picture : keep(picture);
    };
    std::vector<MonitorPicture> pictures;

    std::vector<VistrelScreen> screens;
    if (choice == MonitorChoice::Same) {
        for (const Monitor& m : layout.monitors)
            screens.push_back(ScreenOf(m, layout.background));
    } else if (choice == MonitorChoice::Span) {
        screens.push_back(SpannedScreen(layout));
    } else {
        screens.push_back(ScreenOf(layout.Primary(), layout.background));
    }
    gmem::Handle image = ReadEntry(entry, screens);
    if (!image)
        return false;
    keep(image);

    std::string why;
    std::uint32_t style = VISTREL_STYLE_CENTER;
    if (choice == MonitorChoice::Span) {
        gmem::Handle whole = ComposeEntry(entry, image, screens.front(), style, why);
        if (!whole)
            return FailChange(entry.path, why);
        keepComposition(whole, image);
        std::string error;
        std::vector<gmem::Owner> parts = wallpaper::CutForMonitors(layout, whole, StyleOf(style), error);
        if (parts.empty())
            return FailChange(entry.path, "could not be shown: " + error);
        for (gmem::Owner& part : parts)
            pictures.push_back({keep(part.release()), wallpaper::Style::Center});
    } else {
        // The entry on every monitor ("same"), or on the primary one ("each").
        const std::size_t monitors = choice == MonitorChoice::Same ? count : 1;
        for (std::size_t i = 0; i < monitors; ++i) {
            gmem::Handle picture = ComposeEntry(entry, image, screens[i], style, why);
            if (!picture)
                return FailChange(entry.path, why);
            pictures.push_back({keepComposition(picture, image), StyleOf(style)});
        }
    }

    // "each": the list's next entries for the other monitors. An entry that
    // cannot be read or composed is used up as in any change, and the next
    // one is tried; when none can be, the monitor shows the first entry.
    for (std::size_t i = pictures.size(); i < count; ++i) {
        const VistrelScreen screen = ScreenOf(layout.monitors[i], layout.background);
        gmem::Handle picture = nullptr;
        for (int attempt = 0; attempt < kEntriesPerMonitor && !picture; ++attempt) {
            // Shown again: the monitor's own entry, if it had one.
            const int next = !redraw ? PickNext() : i < redraw->size() && attempt == 0 ? (*redraw)[i] : -1;
            if (next < 0)
                break;
            if (!redraw)
                MarkShown(next);
            Showable other;
            if (!FindShowable(next, other, why) || other.blocks != 2 || !ext::Lookup(other.viewer, "compose"))
                continue;
            const VistrelScreen one[] = {screen};
            gmem::Handle otherImage = ReadEntry(other, one);
            if (!otherImage)
                continue;
            keep(otherImage);
            if ((picture = ComposeEntry(other, otherImage, screen, style, why))) {
                keepComposition(picture, otherImage);
                shownRows.push_back(next);
            }
        }
        if (!picture) {
            picture = ComposeEntry(entry, image, screen, style, why);
            if (!picture)
                return FailChange(entry.path, why);
            keepComposition(picture, image);
            shownRows.push_back(index);
        }
        pictures.push_back({picture, StyleOf(style)});
    }

    if (std::string error; !desktop.Install(layout, pictures, error)) {
        // Nothing changed on the desktop: neither do the counters.
        for (int i = 0; i < GetCount() && i < static_cast<int>(shownBefore.size()); ++i)
            if (rows_[i][kColShown] != shownBefore[i])
                SetText(i, kColShown, shownBefore[i]);
        if (rows_[index][kColShown] != entryShownBefore)
            SetText(index, kColShown, entryShownBefore);
        changeError_ = entry.path + " could not be made the wallpaper: " + error;
        changeFailure_ = Failure::Desktop;
        return false;
    }
    // Entries tried for the other monitors and passed over are no failure
    // of this change.
    changeError_.clear();
    changeFailure_ = Failure::None;
    shownFiles_.clear();
    for (int row : shownRows) {
        if (!redraw)
            CountShow(row);
        shownFiles_.push_back(rows_[row][kColFile]);
    }
    if (choice != MonitorChoice::Each)
        shownFiles_.resize(1);
    return true;
}

} // namespace vistrel
