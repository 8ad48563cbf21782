// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/sized_read.h"

#include "vistrel/core/extender_calls.h"

#include <algorithm>

namespace vistrel {
namespace {

// What the reader's callback needs to ask the viewer.
struct ViewerQuestion {
    VistrelNeededSizeFn neededSize;
    void* block;
    const VistrelScreen* screen;
};

void AskViewer(void* context, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    if (!context || !need)
        return;
    const auto* question = static_cast<const ViewerQuestion*>(context);
    *need = VistrelNeed{};
    question->neededSize(question->block, question->screen, width, height, need);
}

// What the reader's callback needs to ask the viewer for several screens.
struct ScreensQuestion {
    VistrelNeededSizeFn neededSize;
    void* block;
    std::span<const VistrelScreen> screens;
};

void AskViewerForScreens(void* context, std::uint32_t width, std::uint32_t height, VistrelNeed* need)
{
    if (!context || !need)
        return;
    const auto* question = static_cast<const ScreensQuestion*>(context);
    *need = VistrelNeed{};
    bool first = true;
    for (const VistrelScreen& screen : question->screens) {
        VistrelNeed one{};
        question->neededSize(question->block, &screen, width, height, &one);
        if (first) {
            *need = one;
            first = false;
            continue;
        }
        if (!(one.flags & VISTREL_NEED_SCALED)) {
            need->flags &= ~VISTREL_NEED_SCALED; // shown as it is there: needed whole
            need->width = need->height = 0;
        } else if (need->flags & VISTREL_NEED_SCALED) {
            need->width = std::max(need->width, one.width);
            need->height = std::max(need->height, one.height);
        }
    }
}

} // namespace

bool CanShrinkOnLoad(ExtenderHandle reader, ExtenderHandle viewer)
{
    return ext::Lookup(reader, "readAtLeast") && ext::Lookup(viewer, "NeededSize");
}

gmem::Handle ReadForViewer(ExtenderHandle reader, void* readerBlock, ExtenderHandle viewer, void* viewerBlock,
                           const char* path, const VistrelScreen* screen)
{
    auto readAtLeast = reinterpret_cast<VistrelReadAtLeastFn>(ext::Lookup(reader, "readAtLeast"));
    auto neededSize = reinterpret_cast<VistrelNeededSizeFn>(ext::Lookup(viewer, "NeededSize"));
    if (!readAtLeast || !neededSize)
        return ext::Read(reader, path, readerBlock);
    ViewerQuestion question{neededSize, viewerBlock, screen};
    return readAtLeast(path, readerBlock, &AskViewer, &question);
}

} // namespace vistrel

namespace vistrel {

gmem::Handle ReadForScreens(ExtenderHandle reader, void* readerBlock, ExtenderHandle viewer, void* viewerBlock,
                            const char* path, std::span<const VistrelScreen> screens)
{
    if (screens.size() == 1)
        return ReadForViewer(reader, readerBlock, viewer, viewerBlock, path, &screens.front());
    auto readAtLeast = reinterpret_cast<VistrelReadAtLeastFn>(ext::Lookup(reader, "readAtLeast"));
    auto neededSize = reinterpret_cast<VistrelNeededSizeFn>(ext::Lookup(viewer, "NeededSize"));
    if (!readAtLeast || !neededSize || screens.empty())
        return ext::Read(reader, path, readerBlock);
    ScreensQuestion question{neededSize, viewerBlock, screens};
    return readAtLeast(path, readerBlock, &AskViewerForScreens, &question);
}

} // namespace vistrel
