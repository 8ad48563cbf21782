// SPDX-License-Identifier: GPL-3.0-or-later
// The image list: rows of five texts ("File", "Type", "Total", "Priority",
// "Shown"), one parameter chain per row, the list's scheduler block and its
// random flag; the selection rule and the change of wallpaper through the
// entry's reader and viewer extenders.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/core/folded_path_index.h"
#include "vistrel/platform/global_memory.h"
#include "vistrel_extender.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

enum Column { kColFile = 0, kColType = 1, kColTotal = 2, kColPriority = 3, kColShown = 4, kColumnCount = 5 };

using RowTexts = std::array<std::string, kColumnCount>;

// Views of the list (the list manager's report, the scheduler's window)
// follow it through these calls.
class ListObserver {
public:
    virtual ~ListObserver() = default;
    virtual void RowsReset() {}
    virtual void RowInserted(int /*index*/) {}
    virtual void RowRemoved(int /*index*/) {}
    virtual void TextChanged(int /*index*/, int /*column*/) {}
    // The list changed in a way its owner must save.
    virtual void Modified() {}
};

// The column headers, in order.
const std::array<std::string_view, kColumnCount>& ColumnHeaders();

// A decimal column text as a number: leading blanks and a sign allowed,
// anything else (or nothing) counts as 0. Values beyond 32 bits are held at
// -2147483648 and kLargestNumber, the same on every platform.
inline constexpr long kLargestNumber = 2147483647L;
long ParseNumber(std::string_view text);

class CWallpaperList {
public:
    explicit CWallpaperList(const CExtenderRegistry* registry = nullptr);
    ~CWallpaperList();
    CWallpaperList(const CWallpaperList&) = delete;
    CWallpaperList& operator=(const CWallpaperList&) = delete;

    void SetRegistry(const CExtenderRegistry* registry) { registry_ = registry; }
    const CExtenderRegistry* Registry() const { return registry_; }
    void SetObserver(ListObserver* observer) { observer_ = observer; }
    ListObserver* Observer() const { return observer_; }
    // Seconds since 1970 for the random pick's seed; tests give their own.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // Empties the list and takes a fresh scheduler block from the first
    // scheduler extender.
    void Reset();

    int GetCount() const { return static_cast<int>(rows_.size()); }
    const std::string& GetText(int index, int column) const { return rows_[index][column]; }
    void SetText(int index, int column, std::string text);
    const RowTexts& GetRow(int index) const { return rows_[index]; }

    // Adds an entry with its default chain; false when a duplicate was
    // refused or no reader, or no viewer of its type, is there.
    bool InsertFile(const std::string& path, bool noDuplicates);
    // InsertFile for each path in turn; the number of entries added. Within
    // one call each reader's and viewer's default blocks are taken once and
    // copied into every chain that needs them, which is what makes adding a
    // folder of thousands of files cheap.
    int InsertFiles(std::span<const std::string> paths, bool noDuplicates);
    // Whether a row holds this path (letter case ignored).
    bool ContainsFile(std::string_view path) const;
    // A fixed global chain: the reader for the path, then the first viewer of
    // `type`. Null when either is missing.
    void* BuildDefaultChain(std::string_view path, std::string_view type) const;
    void DeleteEntry(int index);

    void MarkShown(int index);
    void CountShow(int index);
    bool IsExhausted(int index) const;
    void ResetShown(int index);
    void ResetShown();
    void ResetTotal(int index);

    // The next entry to show, or -1 (an empty list, or no entry can ever be
    // eligible: a random list whose priorities are all below 1).
    int PickNext();
    // Marks the entry shown, reads it with its reader and has its viewer show
    // it; true when the wallpaper changed (Total is counted then). An entry
    // that cannot be read or composed stays marked shown, so that the next
    // attempt moves on to another one. When the picture was fine but could
    // not be installed (the desktop refused it or is not there), the entry's
    // Shown is put back as it was: no other entry would fare better, and the
    // round must not be lost.
    //
    // With a viewer that composes per monitor (its "compose" export) every
    // monitor gets a picture made for it, by the "Monitors" setting: "same",
    // the entry composed for each monitor (read once, at the largest size
    // any monitor needs); "each", the entry on the primary monitor and the
    // list's next entries, by its own rule, on the others (each of them
    // marked shown and counted); "span", one composition across all
    // monitors. The wallpaper files are written and the desktop is given all
    // monitors at once. When the desktop refuses, no entry's counters move.
    bool ChangeNow(int index);
    // Why the last ChangeNow failed, naming the file and, where the reader or
    // viewer says, its reason ("getError"); empty after a success.
    const std::string& LastChangeError() const { return changeError_; }
    // The files the last successful ChangeNow put on the monitors, in the
    // monitors' order (one for "same" and "span").
    const std::vector<std::string>& LastShownFiles() const { return shownFiles_; }
    // Shows those files again, composed for the monitors as they are now
    // (after a monitor was added, removed, moved or resized), without marking
    // or counting anything. False when none of them is in the list any more
    // or the desktop refused (LastChangeError says why).
    bool Redraw(const std::vector<std::string>& files);

    // Whose fault the last failed ChangeNow was: the entry's (try another) or
    // the desktop's (stop trying: every entry would fail the same way).
    enum class Failure { None, Entry, Desktop };
    Failure LastChangeFailure() const { return changeFailure_; }

    // The entry's or a file's image, owned by the caller, or null. Counters stay.
    gmem::Handle ReadEntryImage(int index);
    gmem::Handle ReadFileImage(const std::string& path);

    // Chains: row i's fixed global buffer and its byte count.
    void* GetChain(int index) const { return chains_[index].data; }
    std::size_t GetChainBytes(int index) const { return chains_[index].bytes; }
    // Stores the buffer a chain edit handed back (CParamChain::Detach) in row
    // i's slot. The slot's previous buffer was attached to that edit, which
    // kept or freed it, so it is not freed here.
    void StoreChain(int index, void* chain, std::size_t bytes);

    // The scheduler block (fixed global memory, owned by the list) or null.
    std::uint8_t* GetSchedulerBlock() const { return scheduler_; }
    std::size_t GetSchedulerBlockBytes() const { return schedulerBytes_; }
    void SetSchedulerBlock(void* block, std::size_t bytes);

    std::int32_t GetRandom() const { return random_; }
    void SetRandom(std::int32_t flag) { random_ = flag; }

    // Room for `rows` entries, so loading a large list allocates rarely.
    void Reserve(std::size_t rows);
    // Appends a row with its texts and chain without any checks, for loading.
    void AppendLoadedRow(RowTexts texts);
    void AppendLoadedChain(void* chain, std::size_t bytes);

private:
    struct Chain {
        void* data = nullptr;
        std::size_t bytes = 0;
    };

    // An entry's reader and viewer with their blocks, as a change needs them.
    struct Showable {
        ExtenderHandle reader = nullptr;
        ExtenderHandle viewer = nullptr;
        std::uint8_t* readerBlock = nullptr; // inside the entry's chain
        std::uint8_t* viewerBlock = nullptr;
        int blocks = 0; // in the chain: more than 2 means middle extenders
        std::string path;
    };
    // The entry's extenders, or false with why it cannot be shown.
    bool FindShowable(int index, Showable& entry, std::string& why);
    // `redraw`: the rows to show again, one per monitor (the first one for
    // monitors beyond them), instead of picking and counting.
    bool ChangeOnMonitors(int index, const Showable& entry, const std::vector<int>* redraw = nullptr);
    // Reads the entry for the screens (none: the screen its viewer shows on);
    // null when it cannot be read, with the reason set as a failed change.
    gmem::Handle ReadEntry(const Showable& entry, std::span<const VistrelScreen> screens);
    // Composes `image` of `entry` for one screen; null with the reason.
    gmem::Handle ComposeEntry(const Showable& entry, gmem::Handle image, const VistrelScreen& screen,
                              std::uint32_t& style, std::string& why);
    bool FailChange(const std::string& path, std::string_view what, ExtenderHandle whoSays = nullptr,
                    Failure kind = Failure::Entry);

    long Number(int index, int column) const { return ParseNumber(rows_[index][column]); }
    void SetNumber(int index, int column, long value);
    gmem::Handle ReadWithChain(void* chain, std::size_t bytes, const std::string& path);
    void IndexRow(int index);
    // Builds the index again when rows changed under it.
    void FreshIndex() const;
    // Asks memory for what looking up each path will read (InsertFiles);
    // `hashes` gets the paths' hashes.
    void PrefetchLookups(std::span<const std::string> paths, std::vector<std::uint64_t>& hashes) const;
    void AppendRow(const std::string& path, const std::string& type, void* chain, std::size_t chainBytes,
                   const std::uint64_t* hash = nullptr);
    void FreeAll();

    const CExtenderRegistry* registry_;
    ListObserver* observer_ = nullptr;
    std::function<std::int64_t()> clock_;
    std::vector<RowTexts> rows_;
    std::vector<Chain> chains_;
    // Folded File texts, for refusing duplicates without a search of every row.
    // Added to as rows are appended; rebuilt at the next look-up after rows
    // were removed or renamed (mutable: looking up may rebuild it).
    mutable FoldedPathIndex fileIndex_;
    mutable bool fileIndexStale_ = false;
    std::uint8_t* scheduler_ = nullptr;
    std::size_t schedulerBytes_ = 0;
    std::int32_t random_ = 0;
    std::string changeError_;
    std::vector<std::string> shownFiles_;
    Failure changeFailure_ = Failure::None;
};

} // namespace vistrel
