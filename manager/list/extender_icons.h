// SPDX-License-Identifier: GPL-3.0-or-later
// The small pictures extenders hand out (their optional GetIcon export), as
// pixmaps: one per block of an entry's chain in the list, and icon 100 in
// the Extender Info dialog.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/platform/global_memory.h"

#include <QImage>
#include <QPixmap>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::manager {

// The picture a 32-bit DIB (40-byte header, no colour table, rows of blue,
// green, red and straight alpha; bottom-up, or top-down for a negative
// height) holds; a null image for anything else, or a header that claims
// more pixels than the block has or than an icon can need (256 square).
QImage ImageFromIconDib(gmem::Handle dib);

// The extender's picture `resource` at `size` pixels square, or a null pixmap.
QPixmap ExtenderPicture(ExtenderHandle extender, int resource, int size);

// The blocks of a chain buffer, in chain order; only whole blocks inside the
// buffer (a damaged chain gives the blocks before the damage).
std::vector<const std::uint8_t*> ChainBlocks(const void* chain, std::size_t bytes);

// The 16 x 16 icons of blocks, fetched once per (extender, resource): the
// list paints them on every row it shows.
class ExtenderIconCache {
public:
    static constexpr int kSize = 16;

    explicit ExtenderIconCache(const CExtenderRegistry& registry) : registry_(registry) {}

    // The icon of a block: the low 16 bits of its extender value, in the
    // library of the extender its ID names. Null when that extender is not
    // loaded or has no such picture.
    const QPixmap& IconOf(const std::uint8_t* block);
    const QPixmap& Icon(std::string_view extenderId, int resource);

private:
    const CExtenderRegistry& registry_;
    // By the extender's ID and the resource number.
    std::map<std::string, QPixmap> icons_;
};

} // namespace vistrel::manager
