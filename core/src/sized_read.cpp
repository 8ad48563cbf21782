// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/sized_read.h"

#include "vistrel/core/extender_calls.h"

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
