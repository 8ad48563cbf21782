// SPDX-License-Identifier: GPL-3.0-or-later
// Commands on images: change the wallpaper now, and the viewer's composition
// and scaling on their own, without a desktop.
#include "cli.h"
#include "list_io.h"

#include "compose.h"
#include "viewer_block.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/dib/convert.h"
#include "vistrel/dib/dib.h"
#include "vistrel/dib/scale.h"
#include "vistrel/dib/write.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>

namespace vistrelctl {

using namespace vistrel;

namespace {

// As many attempts as the scheduler makes before it gives up. The scheduler
// waits 100 ms before each; a change asked for on the command line has
// nobody to wait for.
constexpr int kChangeAttempts = 101;

int Fail(const std::string& message)
{
    ShowMessage(message, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
    return kFailure;
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value, int base = 10)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// "1024x768" (or with a capital X): both sides from 1 to 32767.
bool ParseSize(std::string_view text, int& width, int& height)
{
    std::size_t x = text.find_first_of("xX");
    return x != std::string_view::npos && ParseNumber(text.substr(0, x), width) &&
           ParseNumber(text.substr(x + 1), height) && width >= 1 && height >= 1 && width <= 32767 && height <= 32767;
}

// "X,Y,LX,LY"
bool ParseRectangle(std::string_view text, picshow::ViewerSettings& s)
{
    std::int32_t values[4];
    for (int i = 0; i < 4; ++i) {
        std::size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos || !ParseNumber(text.substr(0, comma), values[i]))
            return false;
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    s.x = values[0];
    s.y = values[1];
    s.lx = values[2];
    s.ly = values[3];
    return true;
}

// What a composition reads its image for: the mode and the screen, so that
// the reader can shrink the picture on load to what the mode needs.
struct ComposeTarget {
    const picshow::ViewerSettings& settings;
    const picshow::Screen& screen;
};

// Reads an image with the reader extender that claims the file; for a
// composition, through the loaded Picshow's shrink-on-load where the reader
// takes part in it too.
gmem::Handle ReadImage(const CExtenderRegistry& registry, const std::string& path,
                       const ComposeTarget* target = nullptr)
{
    ExtenderHandle reader = registry.FindReaderForFile(path);
    if (!reader) {
        Fail("No reader extender reads " + path);
        return nullptr;
    }
    void* block = ext::GetDefParams(reader);
    gmem::Handle image = nullptr;
    ExtenderHandle viewer = target ? registry.FindExtenderById(picshow::kId) : nullptr;
    if (target && registry.IsViewer(viewer) && CanShrinkOnLoad(reader, viewer)) {
        std::uint8_t viewerBlock[picshow::kBlockBytes] = {};
        picshow::FillDefaultBlock(viewerBlock);
        picshow::WriteSettings(viewerBlock, target->settings);
        const picshow::Screen& s = target->screen;
        const VistrelScreen screen{s.width, s.height, s.workRight, s.workBottom, s.background};
        image = ReadForViewer(reader, block, viewer, viewerBlock, path.c_str(), &screen);
    } else {
        image = ext::Read(reader, path.c_str(), block);
    }
    gmem::Free(block);
    if (!image) {
        const char* why = ext::GetError(reader);
        Fail(path + " cannot be read" + (why && *why ? std::string(": ") + why : std::string()));
    }
    return image;
}

dib::ScaleHooks HostHooks()
{
    dib::ScaleHooks hooks;
    hooks.message = &VistrelHostMessage;
    return hooks;
}

std::string SizeText(gmem::Handle picture)
{
    dib::LockedBlock block(picture);
    dib::Layout layout;
    if (!block || !dib::DescribeDIB(block.bytes(), block.size(), layout))
        return "?";
    return std::to_string(layout.width) + "x" + std::to_string(layout.height);
}

} // namespace

int CommandNext(Context& c, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("next takes one list file");
    CWallpaperList list(&c.registry);
    if (int rc = Load(args[0], list))
        return rc;
    bool changed = false;
    int row = -1;
    std::string why = "the list is empty";
    for (int attempt = 0; attempt < kChangeAttempts && !changed; ++attempt) {
        row = list.PickNext();
        if (list.GetCount() == 0 || row < 0)
            break;
        changed = list.ChangeNow(row);
        if (!changed)
            why = list.LastChangeError();
        // The desktop refused a good picture: any other would fare the same.
        if (!changed && list.LastChangeFailure() == CWallpaperList::Failure::Desktop)
            break;
    }
    // The counters moved even when nothing could be shown: entries that
    // could not be read count as shown, so the next run goes on with another.
    int saved = Save(args[0], list, c.out);
    if (!changed) {
        if (list.GetCount() > 0 && row < 0)
            why = "no entry can come up (every priority is below 1)";
        Fail("The wallpaper was not changed: " + why);
        return kFailure;
    }
    c.out << "Wallpaper changed to " << list.GetText(row, kColFile) << "\n";
    return saved;
}

int CommandCompose(Context& c, const std::vector<std::string>& args)
{
    std::string output;
    picshow::ViewerSettings settings;
    bool haveMode = false;
    picshow::Screen screen;
    bool haveScreen = false, haveWorkArea = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size() && option != "--no-preserve")
            return UsageError(option + " needs a value");
        if (option == "-o") {
            output = args[++i];
        } else if (option == "--mode") {
            static const std::pair<const char*, std::uint32_t> modes[] = {{"tile", picshow::kTile},
                                                                          {"center", picshow::kCenter},
                                                                          {"centre", picshow::kCenter},
                                                                          {"fit", picshow::kFit},
                                                                          {"proportioned", picshow::kProportionedFit},
                                                                          {"freepos", picshow::kFreePos}};
            const std::string& word = args[++i];
            haveMode = false;
            for (const auto& [name, mode] : modes)
                if (word == name) {
                    settings.mode = mode;
                    haveMode = true;
                }
            if (!haveMode)
                return UsageError("unknown mode \"" + word + "\"");
        } else if (option == "--screen") {
            if (!ParseSize(args[++i], screen.width, screen.height))
                return UsageError("a size is WIDTHxHEIGHT, each 1 to 32767");
            haveScreen = true;
        } else if (option == "--workarea") {
            if (!ParseSize(args[++i], screen.workRight, screen.workBottom))
                return UsageError("a size is WIDTHxHEIGHT, each 1 to 32767");
            haveWorkArea = true;
        } else if (option == "--background") {
            if (!ParseNumber(args[++i], screen.background, 16) || screen.background > 0xFFFFFF)
                return UsageError("a background colour is RRGGBB in hexadecimal");
        } else if (option == "--rect") {
            if (!ParseRectangle(args[++i], settings))
                return UsageError("a free rectangle is X,Y,LX,LY");
        } else if (option == "--no-preserve") {
            settings.flags &= ~picshow::kPreserveProportions;
        } else if (option == "--border") {
            int percent = 0;
            if (!ParseNumber(args[++i], percent) || percent < 10 || percent > 90 || percent % 10)
                return UsageError("a border is 10, 20, ... or 90 (per cent)");
            settings.border = static_cast<std::uint8_t>(percent / 10);
            settings.flags = (settings.flags & ~picshow::kVariantMask) | picshow::kCentredWithBorder;
        } else if (option == "--tiles") {
            int tiles = 0;
            if (!ParseNumber(args[++i], tiles) || tiles < 2 || tiles > 20)
                return UsageError("a tile count is 2 to 20");
            settings.tiles = static_cast<std::uint8_t>(tiles - 1);
            settings.flags = (settings.flags & ~picshow::kVariantMask) | picshow::kTiledWithCount;
        } else {
            return UsageError("unknown option \"" + option + "\"");
        }
    }
    if (output.empty() || !haveMode || !haveScreen)
        return UsageError("compose needs an image, -o OUT.bmp, --mode and --screen");
    if (!haveWorkArea) {
        screen.workRight = screen.width;
        screen.workBottom = screen.height;
    }

    const ComposeTarget target{settings, screen};
    gmem::Owner image(ReadImage(c.registry, args[0], &target));
    if (!image)
        return kFailure;
    picshow::Composition composition = picshow::Compose(image.get(), settings, screen, HostHooks());
    if (!composition.picture)
        return Fail("No picture was composed: " + composition.error);
    gmem::Owner made(composition.IsNew(image.get()) ? composition.picture : nullptr);
    if (!dib::WriteDIB(output.c_str(), composition.picture))
        return Fail(std::string(dib::DibLastError()) + " (" + output + ")");
    c.out << SizeText(composition.picture) << " " << (composition.style == picshow::Style::Tile ? "tile" : "center")
          << "\n";
    return kSuccess;
}

int CommandScale(Context& c, const std::vector<std::string>& args)
{
    bool nearest = args.size() == 5 && args[4] == "--nearest";
    if (args.size() != 4 && !nearest)
        return UsageError("scale takes IN.bmp OUT.bmp WIDTH HEIGHT and optionally --nearest");
    std::uint32_t width = 0, height = 0;
    if (!ParseNumber(args[2], width) || !ParseNumber(args[3], height) || width < 1 || height < 1 || width > 32767 ||
        height > 32767)
        return UsageError("width and height are 1 to 32767");
    gmem::Handle read = ReadImage(c.registry, args[0]);
    if (!read)
        return kFailure;
    gmem::Owner wide(dib::DIBTo24(read)); // releases what it converts
    if (!wide)
        return Fail(std::string(dib::DibLastError()) + " (" + args[0] + ")");
    gmem::Owner scaled(
        dib::ScaleDIB(wide.get(), width, height, nearest ? dib::kNearestPixel : dib::kAreaAveraging, HostHooks()));
    if (!scaled)
        return kFailure; // ScaleDIB has said why
    if (!dib::WriteDIB(args[1].c_str(), scaled.get()))
        return Fail(std::string(dib::DibLastError()) + " (" + args[1] + ")");
    c.out << SizeText(scaled.get()) << "\n";
    return kSuccess;
}

} // namespace vistrelctl
