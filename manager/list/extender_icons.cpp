// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/extender_icons.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"

#include <cstring>

namespace vistrel::manager {

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::int32_t kLargestIcon = 256;

std::int32_t ReadI32(const std::uint8_t* at) { return static_cast<std::int32_t>(ReadU32(at)); }

std::uint16_t ReadU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

} // namespace

QImage ImageFromIconDib(gmem::Handle dib)
{
    if (!dib)
        return {};
    const std::size_t bytes = gmem::Size(dib);
    const auto* data = static_cast<const std::uint8_t*>(gmem::Lock(dib));
    if (!data)
        return {};
    QImage image;
    const std::uint32_t headerSize = bytes >= kInfoHeaderBytes ? ReadU32(data) : 0;
    const std::int32_t width = bytes >= kInfoHeaderBytes ? ReadI32(data + 4) : 0;
    const std::int32_t height = bytes >= kInfoHeaderBytes ? ReadI32(data + 8) : 0;
    const std::int32_t rows = height < 0 ? -height : height;
    if (headerSize >= kInfoHeaderBytes && headerSize <= bytes && width > 0 && width <= kLargestIcon && rows > 0 &&
        rows <= kLargestIcon && ReadU16(data + 12) == 1 && ReadU16(data + 14) == 32 && ReadU32(data + 16) == 0 &&
        headerSize + std::size_t{4} * static_cast<std::size_t>(width) * static_cast<std::size_t>(rows) <= bytes) {
        image = QImage(width, rows, QImage::Format_ARGB32);
        const std::uint8_t* pixels = data + headerSize;
        for (std::int32_t y = 0; y < rows; ++y) {
            // Bottom-up rows unless the height is negative.
            const std::int32_t source = height > 0 ? rows - 1 - y : y;
            const std::uint8_t* in = pixels + std::size_t{4} * static_cast<std::size_t>(width) * source;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (std::int32_t x = 0; x < width; ++x, in += 4)
                out[x] = qRgba(in[2], in[1], in[0], in[3]);
        }
    }
    gmem::Unlock(dib);
    return image;
}

QPixmap ExtenderPicture(ExtenderHandle extender, int resource, int size)
{
    gmem::Owner dib(ext::GetIcon(extender, resource, size));
    QImage image = ImageFromIconDib(dib.get());
    if (image.isNull())
        return {};
    if (image.width() != size || image.height() != size)
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(image);
}

std::vector<const std::uint8_t*> ChainBlocks(const void* chain, std::size_t bytes)
{
    std::vector<const std::uint8_t*> blocks;
    const auto* data = static_cast<const std::uint8_t*>(chain);
    if (!data || bytes < 4)
        return blocks;
    const std::int32_t count = static_cast<std::int32_t>(ReadU32(data));
    std::size_t offset = 4;
    for (std::int32_t i = 0; i < count && BlockFits(data + offset, bytes - offset); ++i) {
        blocks.push_back(data + offset);
        offset += BlockSize(data + offset);
    }
    return blocks;
}

const QPixmap& ExtenderIconCache::IconOf(const std::uint8_t* block)
{
    return Icon(BlockId(block), static_cast<int>(ReadU32(block + VISTREL_BLOCK_VALUE_OFFSET) & 0xFFFFu));
}

const QPixmap& ExtenderIconCache::Icon(std::string_view extenderId, int resource)
{
    std::string key(extenderId);
    key += '\n';
    key += std::to_string(resource);
    auto found = icons_.find(key);
    if (found != icons_.end())
        return found->second;
    QPixmap icon;
    if (ExtenderHandle extender = registry_.FindExtenderById(extenderId))
        icon = ExtenderPicture(extender, resource, kSize);
    return icons_.emplace(std::move(key), std::move(icon)).first->second;
}

} // namespace vistrel::manager
