// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/list_file.h"

#include "vistrel/core/list_archive.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/global_memory.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace vistrel {

namespace {

ListLoadStatus StatusOf(const ArchiveReader& in)
{
    return in.GetError() == ArchiveReader::Error::EndOfFile ? ListLoadStatus::EndOfFile : ListLoadStatus::Damaged;
}

// A fixed global copy of `bytes`, or null.
void* GlobalCopy(std::string_view bytes)
{
    void* copy = gmem::Alloc(gmem::kFixed, bytes.size());
    if (copy && !bytes.empty())
        std::memcpy(copy, bytes.data(), bytes.size());
    return copy;
}

ListLoadStatus LoadBody(CWallpaperList& list, ArchiveReader& in)
{
    std::uint32_t blockLength = 0;
    std::string_view block;
    if (!in.Int32(blockLength) || !in.Bytes(blockLength, block))
        return StatusOf(in);
    if (blockLength == 0) {
        // A list kept without a scheduler block (none was loaded when it was
        // written) stores length 0 and nothing else; it has no schedule.
        list.SetSchedulerBlock(nullptr, 0);
    } else {
        // The block must be one whole block whose own size is the stored
        // length: the scheduler extender reads its fields by that size.
        if (!BlockFits(block.data(), block.size()) || BlockSize(block.data()) != blockLength)
            return ListLoadStatus::Damaged;
        void* scheduler = GlobalCopy(block);
        if (!scheduler)
            return ListLoadStatus::NoMemory;
        list.SetSchedulerBlock(scheduler, blockLength);
    }

    std::uint32_t rows = 0, columns = 0;
    if (!in.Int32(rows) || !in.Int32(columns))
        return StatusOf(in);
    // Every row owes at least one length byte and a 4-byte chain length, so a
    // count the rest of the file cannot hold is damage, not a reservation.
    if (rows > in.Remaining() / 5)
        return ListLoadStatus::Damaged;
    // Room for the rows up front, but only as many as the rest of the file
    // could hold at the size entries made here have (a chain of two blocks
    // alone takes more than 64 bytes), so a damaged count reserves little.
    list.Reserve(std::min<std::size_t>(rows, in.Remaining() / 64));
    for (std::uint32_t i = 0; i < rows; ++i) {
        RowTexts texts;
        if (!in.String(texts[kColFile]))
            return StatusOf(in);
        for (std::uint32_t j = 1; j < columns; ++j) {
            std::string text;
            if (!in.String(text))
                return StatusOf(in);
            if (j < kColumnCount) // texts beyond the five columns have no place
                texts[j] = std::move(text);
        }
        list.AppendLoadedRow(std::move(texts));
    }
    for (std::uint32_t i = 0; i < rows; ++i) {
        std::uint32_t length = 0;
        std::string_view chain;
        if (!in.Int32(length) || !in.Bytes(length, chain))
            return StatusOf(in);
        // Only chains whose blocks walk inside their length are taken.
        if (CParamChain::WalkLength(chain.data(), chain.size()) == 0)
            return ListLoadStatus::Damaged;
        void* copy = GlobalCopy(chain);
        if (!copy)
            return ListLoadStatus::NoMemory;
        list.AppendLoadedChain(copy, length);
    }
    return ListLoadStatus::Ok;
}

} // namespace

std::string LoadFailureMessage(ListLoadStatus status, const std::string& detail)
{
    switch (status) {
    case ListLoadStatus::Ok:
    case ListLoadStatus::Empty:
    case ListLoadStatus::WrongFormat: return {};
    case ListLoadStatus::EndOfFile:
    case ListLoadStatus::Damaged: return "Unexpected file format.";
    case ListLoadStatus::NoMemory: return "Out of memory.";
    case ListLoadStatus::Unreadable: return detail.empty() ? "Failed to open document." : detail;
    }
    return {};
}

ListLoadStatus LoadList(CWallpaperList& list, std::string_view bytes, std::string_view path)
{
    if (bytes.empty())
        return ListLoadStatus::Empty;
    ArchiveReader in(bytes);
    std::string magic;
    std::uint32_t random = 0;
    if (!in.String(magic) || !in.Int32(random))
        return StatusOf(in);
    list.SetRandom(static_cast<std::int32_t>(random));
    if (magic != kListMagic) {
        // Named, as the other load failures are: a scheduler's tray message
        // comes with no window that shows which file it was.
        ShowMessage(path.empty() ? std::string("Wrong File Format") : "Wrong File Format (" + std::string(path) + ")",
                    VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        return ListLoadStatus::WrongFormat;
    }
    ListLoadStatus status = LoadBody(list, in);
    if (status != ListLoadStatus::Ok)
        list.Reset(); // never leave half a list behind
    return status;
}

namespace {

// Bytes a stored string takes: its length prefix and its text.
std::size_t StoredStringBytes(std::size_t n) { return (n < 0xFF ? 1 : n < 0xFFFE ? 3 : 7) + n; }

} // namespace

std::string StoreList(const CWallpaperList& list)
{
    const std::uint8_t* block = list.GetSchedulerBlock();
    std::uint32_t blockLength = block ? BlockSize(block) : 0;
    const int rows = list.GetCount();
    // The exact size first, so the bytes are made in one buffer that never moves.
    std::size_t total = StoredStringBytes(kListMagic.size()) + 4 + 4 + blockLength + 4 + 4;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < kColumnCount; ++j)
            total += StoredStringBytes(list.GetText(i, j).size());
        std::size_t length = CParamChain::WalkLength(list.GetChain(i), list.GetChainBytes(i));
        total += 4 + (length == 0 ? 4 : length);
    }
    ArchiveWriter out;
    out.Reserve(total);
    out.String(kListMagic);
    out.Int32(static_cast<std::uint32_t>(list.GetRandom()));
    out.Int32(blockLength);
    if (block)
        out.Bytes(block, blockLength);
    out.Int32(static_cast<std::uint32_t>(rows));
    out.Int32(kColumnCount);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < kColumnCount; ++j)
            out.String(list.GetText(i, j));
    for (int i = 0; i < rows; ++i) {
        std::size_t length = CParamChain::WalkLength(list.GetChain(i), list.GetChainBytes(i));
        if (length == 0) {
            // A row without a chain (or a damaged one) is stored as an empty chain.
            out.Int32(4);
            out.Int32(0);
            continue;
        }
        out.Int32(static_cast<std::uint32_t>(length));
        out.Bytes(list.GetChain(i), length);
    }
    return out.Take();
}

ListLoadStatus ReadListFile(const std::string& path, CWallpaperList& list, std::string& detail)
{
    list.Reset();
    auto bytes = platform::ReadWholeFile(path, detail);
    if (!bytes)
        return ListLoadStatus::Unreadable;
    return LoadList(list, *bytes, path);
}

namespace {

// Whether the file holds exactly `bytes`. Its size is looked at first, so a
// file of another size is never read.
bool FileHolds(const std::string& path, std::string_view bytes)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(platform::PathFromUtf8(path), ec);
    if (ec || size != bytes.size())
        return false;
    std::string detail;
    const std::optional<std::string> held = platform::ReadWholeFile(path, detail, bytes.size());
    return held && *held == bytes;
}

} // namespace

ListSave SaveListFile(const std::string& path, const CWallpaperList& list, std::string& error)
{
    const std::string bytes = StoreList(list);
    // A durable save of a large list costs far more than reading it back
    // from the cache, and leaving the file alone keeps its time, so that
    // nobody takes it for a changed list.
    if (FileHolds(path, bytes))
        return ListSave::Unchanged;
    return platform::ReplaceFileAtomically(path, bytes, error) ? ListSave::Written : ListSave::Failed;
}

bool WriteListFile(const std::string& path, const CWallpaperList& list, std::string& error)
{
    return SaveListFile(path, list, error) != ListSave::Failed;
}

} // namespace vistrel
