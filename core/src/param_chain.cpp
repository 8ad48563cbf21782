// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/param_chain.h"

#include "vistrel/core/param_block.h"
#include "vistrel/platform/global_memory.h"

#include <cstring>
#include <limits>

namespace vistrel {

CParamChain::CParamChain() : bytes_(kGrowBy)
{
    bytes_.SetSize(4); // zero-filled: a count of 0
}

std::size_t CParamChain::WalkLength(const void* buffer, std::size_t bufferBytes)
{
    if (!buffer || bufferBytes < 4)
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    auto count = static_cast<std::int32_t>(ReadU32(bytes));
    if (count < 0)
        return 0;
    std::size_t offset = 4;
    for (std::int32_t i = 0; i < count; ++i) {
        if (!BlockFits(bytes + offset, bufferBytes - offset))
            return 0;
        offset += BlockSize(bytes + offset);
    }
    return offset;
}

bool CParamChain::Attach(void* buffer, std::size_t bufferBytes)
{
    std::size_t length = WalkLength(buffer, bufferBytes);
    damaged_ = buffer && length == 0;
    // Adopt the whole buffer so Detach gives back exactly what came in.
    bytes_.Attach(buffer, bufferBytes);
    if (!damaged_ && buffer)
        bytes_.SetSize(length);
    return !damaged_;
}

void* CParamChain::Detach()
{
    damaged_ = false;
    return bytes_.Detach();
}

int CParamChain::GetCount() const
{
    if (damaged_ || bytes_.GetSize() < 4)
        return 0;
    return static_cast<int>(ReadU32(bytes_.GetData()));
}

std::size_t CParamChain::GetLength() const { return damaged_ ? 0 : WalkLength(bytes_.GetData(), bytes_.GetSize()); }

std::size_t CParamChain::OffsetOf(int index) const
{
    std::size_t offset = 4;
    for (int i = 0; i < index; ++i)
        offset += BlockSize(bytes_.GetData() + offset);
    return offset;
}

const std::uint8_t* CParamChain::GetBlock(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return bytes_.GetData() + OffsetOf(index);
}

std::uint8_t* CParamChain::GetBlock(int index)
{
    return const_cast<std::uint8_t*>(static_cast<const CParamChain*>(this)->GetBlock(index));
}

int CParamChain::FindById(std::string_view id) const
{
    int found = -1;
    for (int i = 0; i < GetCount(); ++i)
        if (BlockId(GetBlock(i)) == id)
            found = i;
    return found;
}

bool CParamChain::InsertAt(std::size_t offset, const void* block, std::size_t available)
{
    if (damaged_ || !block || !BlockFits(block, available) || GetCount() == std::numeric_limits<std::int32_t>::max())
        return false;
    if (!bytes_.InsertAt(offset, block, BlockSize(block)))
        return false;
    WriteU32(bytes_.GetData(), static_cast<std::uint32_t>(GetCount() + 1));
    return true;
}

bool CParamChain::Append(const void* block, std::size_t available)
{
    return InsertAt(bytes_.GetSize(), block, available);
}

bool CParamChain::InsertBeforeLast(const void* block, std::size_t available)
{
    int count = GetCount();
    return InsertAt(count > 0 ? OffsetOf(count - 1) : bytes_.GetSize(), block, available);
}

bool CParamChain::AppendAndFree(void* block)
{
    bool ok = Append(block, gmem::Size(block));
    gmem::Free(block);
    return ok;
}

bool CParamChain::InsertBeforeLastAndFree(void* block)
{
    bool ok = InsertBeforeLast(block, gmem::Size(block));
    gmem::Free(block);
    return ok;
}

bool CParamChain::Remove(int index)
{
    if (index < 0 || index >= GetCount())
        return false;
    std::size_t offset = OffsetOf(index);
    if (!bytes_.RemoveAt(offset, BlockSize(bytes_.GetData() + offset)))
        return false;
    WriteU32(bytes_.GetData(), static_cast<std::uint32_t>(GetCount() - 1));
    return true;
}

void* CParamChain::CopyOut() const
{
    std::size_t length = GetLength();
    if (length == 0)
        return nullptr;
    void* copy = gmem::Alloc(gmem::kFixed, length);
    if (copy)
        std::memcpy(copy, bytes_.GetData(), length);
    return copy;
}

} // namespace vistrel
