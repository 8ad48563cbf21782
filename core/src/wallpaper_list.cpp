// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/wallpaper_list.h"

#include "vistrel/core/crt_random.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"
#include "vistrel/platform/input_file.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <ctime>

namespace vistrel {

namespace {

// A block's ID without its padding blanks, for messages.
std::string TrimmedId(const void* block)
{
    std::string_view id = BlockId(block);
    while (!id.empty() && id.back() == ' ')
        id.remove_suffix(1);
    return std::string(id);
}

// Keeps a chain attached for a scope and always hands the buffer back to the
// slot it came from, even when edits moved it.
class AttachedChain {
public:
    AttachedChain(void*& slot, std::size_t& bytes) : slot_(slot), bytes_(bytes) { chain_.Attach(slot, bytes); }
    ~AttachedChain()
    {
        std::size_t length = chain_.IsDamaged() ? bytes_ : chain_.GetLength();
        slot_ = chain_.Detach();
        if (slot_)
            bytes_ = length;
    }
    AttachedChain(const AttachedChain&) = delete;
    AttachedChain& operator=(const AttachedChain&) = delete;
    CParamChain* operator->() { return &chain_; }

private:
    CParamChain chain_;
    void*& slot_;
    std::size_t& bytes_;
};

} // namespace

const std::array<std::string_view, kColumnCount>& ColumnHeaders()
{
    static const std::array<std::string_view, kColumnCount> headers = {"File", "Type", "Total", "Priority", "Shown"};
    return headers;
}

long ParseNumber(std::string_view text)
{
    // atoi's reading: leading white space, an optional sign, then digits.
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > (kLargestNumber - (text[i] - '0')) / 10)
            return negative ? -kLargestNumber - 1 : kLargestNumber;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

CWallpaperList::CWallpaperList(const CExtenderRegistry* registry)
    : registry_(registry), clock_([] { return static_cast<std::int64_t>(std::time(nullptr)); }),
      fileIndex_([this](std::uint32_t row) { return std::string_view(rows_[row][kColFile]); })
{
}

CWallpaperList::~CWallpaperList() { FreeAll(); }

void CWallpaperList::FreeAll()
{
    gmem::Free(scheduler_);
    scheduler_ = nullptr;
    schedulerBytes_ = 0;
    for (Chain& c : chains_)
        gmem::Free(c.data);
    chains_.clear();
    rows_.clear();
    fileIndex_.Clear();
    fileIndexStale_ = false;
}

void CWallpaperList::Reset()
{
    random_ = 0;
    FreeAll();
    if (observer_)
        observer_->RowsReset();
    if (registry_) {
        if (void* block = ext::GetDefParams(registry_->FirstScheduler()))
            SetSchedulerBlock(block, gmem::Size(block));
    }
}

void CWallpaperList::SetSchedulerBlock(void* block, std::size_t bytes)
{
    if (block && !BlockFits(block, bytes)) {
        // A block whose size word claims more than it holds would be read
        // past its end by everyone who trusts that word.
        gmem::Free(block);
        block = nullptr;
    }
    gmem::Free(scheduler_);
    scheduler_ = static_cast<std::uint8_t*>(block);
    schedulerBytes_ = block ? BlockSize(block) : 0;
}

void CWallpaperList::SetText(int index, int column, std::string text)
{
    if (column == kColFile)
        fileIndexStale_ = true;
    rows_[index][column] = std::move(text);
    if (observer_)
        observer_->TextChanged(index, column);
}

void CWallpaperList::SetNumber(int index, int column, long value) { SetText(index, column, std::to_string(value)); }

void CWallpaperList::FreshIndex() const
{
    if (!fileIndexStale_)
        return;
    fileIndex_.Rebuild(static_cast<std::uint32_t>(rows_.size()));
    fileIndexStale_ = false;
}

bool CWallpaperList::ContainsFile(std::string_view path) const
{
    FreshIndex();
    return fileIndex_.Contains(path);
}

void CWallpaperList::PrefetchLookups(std::span<const std::string> paths, std::vector<std::uint64_t>& hashes) const
{
    FreshIndex();
    hashes.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        hashes[i] = FoldedPathIndex::Hash(paths[i]);
        fileIndex_.PrefetchSlot(hashes[i]);
    }
    if (fileIndex_.Size() == 0)
        return;
    std::vector<const std::string*> held(paths.size(), nullptr);
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (std::uint32_t row = fileIndex_.RowOfSlot(hashes[i]); row != FoldedPathIndex::kNoRow) {
            held[i] = &rows_[row][kColFile];
            __builtin_prefetch(held[i]);
        }
    for (const std::string* text : held)
        if (text)
            __builtin_prefetch(text->data());
}

void CWallpaperList::IndexRow(int index)
{
    if (!fileIndexStale_)
        fileIndex_.Add(static_cast<std::uint32_t>(index), rows_[index][kColFile]);
}

void* CWallpaperList::BuildDefaultChain(std::string_view path, std::string_view type) const
{
    if (!registry_)
        return nullptr;
    ExtenderHandle reader = registry_->FindReaderForFile(path);
    ExtenderHandle viewer = nullptr;
    for (ExtenderHandle v : registry_->Extenders(ExtenderKind::Viewer)) {
        const char* own = ext::ReturnType(v);
        if (own && type == own) {
            viewer = v;
            break;
        }
    }
    if (!reader || !viewer)
        return nullptr;
    CParamChain chain;
    void* readerBlock = ext::GetDefParams(reader);
    if (!readerBlock || !chain.AppendAndFree(readerBlock))
        return nullptr;
    void* viewerBlock = ext::GetDefParams(viewer);
    if (!viewerBlock || !chain.AppendAndFree(viewerBlock))
        return nullptr;
    return chain.CopyOut();
}

bool CWallpaperList::InsertFile(const std::string& path, bool noDuplicates)
{
    return InsertFiles(std::span<const std::string>(&path, 1), noDuplicates) == 1;
}

int CWallpaperList::InsertFiles(std::span<const std::string> paths, bool noDuplicates)
{
    if (!registry_)
        return 0;
    // A reader's default chain: its block and then the first viewer's of its
    // type, built once and copied for every file the reader claims.
    struct Template {
        ExtenderHandle reader;
        std::string type;
        void* chain;
        std::size_t bytes;
    };
    std::vector<Template> templates;
    int added = 0;
    std::vector<std::uint64_t> hashes;
    if (noDuplicates)
        PrefetchLookups(paths, hashes);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        // Both refusals say nothing, so the cheaper test comes first.
        ExtenderHandle reader = registry_->FindReaderForFile(path);
        if (!reader || (noDuplicates && fileIndex_.Contains(path, hashes[i])))
            continue;
        auto t = templates.begin();
        while (t != templates.end() && t->reader != reader)
            ++t;
        if (t == templates.end()) {
            const char* typeText = ext::ReturnType(reader);
            std::string type = typeText ? typeText : "";
            void* chain = BuildDefaultChain(path, type);
            std::size_t bytes = chain ? CParamChain::WalkLength(chain, gmem::Size(chain)) : 0;
            templates.push_back({reader, std::move(type), chain, bytes});
            t = templates.end() - 1;
        }
        if (!t->chain)
            continue;
        void* chain = gmem::Alloc(gmem::kFixed, t->bytes);
        if (!chain)
            continue;
        std::memcpy(chain, t->chain, t->bytes);
        AppendRow(path, t->type, chain, t->bytes, noDuplicates ? &hashes[i] : nullptr);
        ++added;
    }
    for (Template& t : templates)
        gmem::Free(t.chain);
    if (added > 0 && observer_)
        observer_->Modified();
    return added;
}

void CWallpaperList::AppendRow(const std::string& path, const std::string& type, void* chain, std::size_t chainBytes,
                               const std::uint64_t* hash)
{
    int index = GetCount();
    chains_.push_back({chain, chainBytes});
    rows_.push_back(RowTexts{path, type, "0", "50", "0"});
    if (hash && !fileIndexStale_)
        fileIndex_.Add(static_cast<std::uint32_t>(index), rows_[index][kColFile], *hash);
    else
        IndexRow(index);
    if (observer_)
        observer_->RowInserted(index);
}

void CWallpaperList::DeleteEntry(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    fileIndexStale_ = true; // the rows after it move up
    rows_.erase(rows_.begin() + index);
    if (index < static_cast<int>(chains_.size())) {
        gmem::Free(chains_[index].data);
        chains_.erase(chains_.begin() + index);
    }
    if (observer_)
        observer_->RowRemoved(index);
}

void CWallpaperList::MarkShown(int index)
{
    long shown = Number(index, kColShown);
    long priority = Number(index, kColPriority);
    if (random_ != 0)
        SetNumber(index, kColShown, shown < priority ? shown + 1 : priority);
    else
        SetNumber(index, kColShown, priority);
}

void CWallpaperList::CountShow(int index)
{
    // Column numbers read as at most 2147483647 (where long has 32 bits, its
    // largest value): a count that got there stays there.
    long total = Number(index, kColTotal);
    SetNumber(index, kColTotal, total < kLargestNumber ? total + 1 : kLargestNumber);
}

bool CWallpaperList::IsExhausted(int index) const
{
    long shown = Number(index, kColShown);
    return random_ != 0 ? shown >= Number(index, kColPriority) : shown >= 1;
}

void CWallpaperList::ResetShown(int index) { SetText(index, kColShown, "0"); }

void CWallpaperList::ResetShown()
{
    for (int i = 0; i < GetCount(); ++i)
        ResetShown(i);
}

void CWallpaperList::ResetTotal(int index) { SetText(index, kColTotal, "0"); }

int CWallpaperList::PickNext()
{
    const int n = GetCount();
    if (n == 0)
        return -1;
    if (random_ == 0) {
        for (int i = 0; i < n; ++i)
            if (!IsExhausted(i))
                return i;
        ResetShown();
        return 0;
    }
    // Random: the seed is taken afresh on every pick, so two picks within the
    // same second draw the same number.
    CrtRandom generator(static_cast<std::uint32_t>(clock_()));
    for (int i = 0; i < 3; ++i)
        generator.Next();
    const int r = generator.Next() % n;
    // After one reset every entry with a priority of at least 1 is eligible;
    // if none is, none ever will be, and the pick ends there.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<int> eligible;
        for (int i = 0; i < n; ++i)
            if (!IsExhausted(i))
                eligible.push_back(i);
        if (!eligible.empty())
            return eligible[static_cast<std::size_t>(r) % eligible.size()];
        ResetShown();
    }
    return -1;
}

bool CWallpaperList::FailChange(const std::string& path, std::string_view what, ExtenderHandle whoSays, Failure kind)
{
    const char* why = whoSays ? ext::GetError(whoSays) : nullptr;
    changeError_ = path + " " + std::string(what) + (why && *why ? std::string(": ") + why : std::string());
    changeFailure_ = kind;
    return false;
}

bool CWallpaperList::FindShowable(int index, Showable& entry, std::string& why)
{
    entry.path = rows_[index][kColFile];
    if (index >= static_cast<int>(chains_.size())) {
        why = "has no reader and viewer in the list"; // a row whose chain never loaded
        return false;
    }
    CParamChain chain;
    chain.Attach(chains_[index].data, chains_[index].bytes);
    entry.blocks = chain.GetCount();
    if (entry.blocks >= 2) {
        entry.readerBlock = chain.GetBlock(0);
        entry.viewerBlock = chain.GetBlock(entry.blocks - 1);
    }
    chain.Detach(); // nothing was edited, so the buffer stays where it was
    if (entry.blocks < 2 || !entry.readerBlock || !entry.viewerBlock) {
        why = "has no reader and viewer in the list";
        return false;
    }
    entry.reader = registry_->FindExtenderById(BlockId(entry.readerBlock));
    entry.viewer = registry_->FindExtenderById(BlockId(entry.viewerBlock));
    if (!registry_->IsReader(entry.reader)) {
        why = "needs the reader extender " + TrimmedId(entry.readerBlock) + ", which is not installed";
        return false;
    }
    if (!registry_->IsViewer(entry.viewer)) {
        why = "needs the viewer extender " + TrimmedId(entry.viewerBlock) + ", which is not installed";
        return false;
    }
    return true;
}

bool CWallpaperList::ChangeNow(int index)
{
    changeError_.clear();
    changeFailure_ = Failure::None;
    if (!registry_ || index < 0 || index >= GetCount())
        return false;
    Showable entry;
    std::string why;
    if (!FindShowable(index, entry, why)) {
        MarkShown(index);
        return FailChange(rows_[index][kColFile], why);
    }
    // A viewer that composes per monitor gets every monitor; the others show
    // one picture, for the primary monitor.
    if (entry.blocks == 2 && ext::Lookup(entry.viewer, "compose"))
        return ChangeOnMonitors(index, entry);
    const std::string shownBefore = rows_[index][kColShown];
    MarkShown(index);
    // At the size the viewer's mode needs, where both extenders can say so.
    gmem::Handle image = ReadEntry(entry, {});
    if (!image)
        return false;
    if (entry.blocks > 2) {
        ShowMessage("ChangeNow - (Subitems... Work in progress...", VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        gmem::Free(image);
        return FailChange(entry.path, "has middle extenders, which cannot be used yet");
    }
    if (!ext::Show(entry.viewer, image, entry.viewerBlock)) {
        gmem::Free(image);
        if (ext::ShowFailure(entry.viewer) == VISTREL_SHOW_FAILED_INSTALL) {
            SetText(index, kColShown, shownBefore);
            return FailChange(entry.path, "could not be made the wallpaper", entry.viewer, Failure::Desktop);
        }
        return FailChange(entry.path, "could not be shown", entry.viewer);
    }
    CountShow(index);
    shownFiles_ = {entry.path};
    return true;
}

gmem::Handle CWallpaperList::ReadEntry(const Showable& entry, std::span<const VistrelScreen> screens)
{
    // A name that became a FIFO, a device or a folder is no picture, and
    // handing it to a reader that opens it plainly would block for ever.
    if (std::string why = platform::WhyNotAFile(entry.path); !why.empty()) {
        FailChange(entry.path, "could not be read: " + why);
        return nullptr;
    }
    gmem::Handle image = screens.empty() ? ReadForViewer(entry.reader, entry.readerBlock, entry.viewer,
                                                         entry.viewerBlock, entry.path.c_str())
                                         : ReadForScreens(entry.reader, entry.readerBlock, entry.viewer,
                                                          entry.viewerBlock, entry.path.c_str(), screens);
    if (!image) {
        // What is wrong with the file itself ("there is no such file", "it
        // is empty") is said in the same words whatever reader failed on it.
        if (std::string why = platform::WhyUnreadable(entry.path); !why.empty())
            FailChange(entry.path, "could not be read: " + why);
        else
            FailChange(entry.path, "could not be read", entry.reader);
    }
    return image;
}

bool CWallpaperList::Redraw(const std::vector<std::string>& files)
{
    changeError_.clear();
    changeFailure_ = Failure::None;
    std::vector<int> rows;
    for (const std::string& file : files)
        for (int row = 0; row < GetCount(); ++row)
            if (rows_[row][kColFile] == file) {
                rows.push_back(row);
                break;
            }
    if (!registry_ || rows.empty())
        return false;
    Showable entry;
    std::string why;
    if (!FindShowable(rows.front(), entry, why))
        return FailChange(rows_[rows.front()][kColFile], why);
    if (entry.blocks == 2 && ext::Lookup(entry.viewer, "compose"))
        return ChangeOnMonitors(rows.front(), entry, &rows);
    // A viewer that shows one picture: shown again as it is.
    gmem::Handle image = ReadEntry(entry, {});
    if (!image)
        return false;
    if (entry.blocks > 2 || !ext::Show(entry.viewer, image, entry.viewerBlock)) {
        gmem::Free(image);
        return FailChange(entry.path, "could not be shown", entry.viewer);
    }
    return true;
}

gmem::Handle CWallpaperList::ReadWithChain(void* chainData, std::size_t bytes, const std::string& path)
{
    CParamChain chain;
    chain.Attach(chainData, bytes);
    gmem::Handle image = nullptr;
    const int count = chain.GetCount();
    if (count > 1) {
        std::uint8_t* readerBlock = chain.GetBlock(0);
        ExtenderHandle reader = registry_->FindExtenderById(BlockId(readerBlock));
        ExtenderHandle viewer = registry_->FindExtenderById(BlockId(chain.GetBlock(count - 1)));
        // A FIFO, a device or a folder is not handed to the reader, whose
        // open might wait for ever.
        if (registry_->IsReader(reader) && registry_->IsViewer(viewer) && platform::WhyNotAFile(path).empty())
            image = ext::Read(reader, path.c_str(), readerBlock);
    }
    chain.Detach(); // nothing was edited, so the buffer stays where it was
    return image;
}

gmem::Handle CWallpaperList::ReadEntryImage(int index)
{
    if (!registry_ || index < 0 || index >= static_cast<int>(chains_.size()))
        return nullptr;
    return ReadWithChain(chains_[index].data, chains_[index].bytes, rows_[index][kColFile]);
}

gmem::Handle CWallpaperList::ReadFileImage(const std::string& path)
{
    if (!registry_)
        return nullptr;
    ExtenderHandle reader = registry_->FindReaderForFile(path);
    const char* type = reader ? ext::ReturnType(reader) : nullptr;
    void* chain = reader ? BuildDefaultChain(path, type ? type : "") : nullptr;
    if (!chain)
        return nullptr;
    gmem::Handle image = ReadWithChain(chain, gmem::Size(chain), path);
    gmem::Free(chain);
    return image;
}

void CWallpaperList::StoreChain(int index, void* chain, std::size_t bytes) { chains_[index] = {chain, bytes}; }

void CWallpaperList::Reserve(std::size_t rows)
{
    rows_.reserve(rows);
    chains_.reserve(rows);
    fileIndex_.Reserve(rows);
}

void CWallpaperList::AppendLoadedRow(RowTexts texts)
{
    rows_.push_back(std::move(texts));
    // Indexed all at once at the first look-up, if one ever comes: a list
    // loaded to be shown or changed never needs it.
    fileIndexStale_ = true;
    if (observer_)
        observer_->RowInserted(GetCount() - 1);
}

void CWallpaperList::AppendLoadedChain(void* chain, std::size_t bytes) { chains_.push_back({chain, bytes}); }

} // namespace vistrel
