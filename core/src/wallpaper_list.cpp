#include "vistrel/core/wallpaper_list.h"

#include "vistrel/core/crt_random.h"
#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/sized_read.h"

#include <cctype>
#include <charconv>
#include <ctime>

namespace vistrel {

namespace {

// Paths compare as the list control compared item texts: whole text, letter
// case ignored.
std::string Folded(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
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
        if (value > (2147483647L - (text[i] - '0')) / 10)
            return negative ? -2147483647L - 1 : 2147483647L;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

CWallpaperList::CWallpaperList(const CExtenderRegistry* registry)
    : registry_(registry), clock_([] { return static_cast<std::int64_t>(std::time(nullptr)); })
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
    fileIndex_.clear();
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

void CWallpaperList::IndexFile(const std::string& path, int delta)
{
    std::string key = Folded(path);
    int& n = fileIndex_[key];
    n += delta;
    if (n <= 0)
        fileIndex_.erase(key);
}

void CWallpaperList::SetText(int index, int column, std::string text)
{
    if (column == kColFile) {
        IndexFile(rows_[index][kColFile], -1);
        IndexFile(text, +1);
    }
    rows_[index][column] = std::move(text);
    if (observer_)
        observer_->TextChanged(index, column);
}

void CWallpaperList::SetNumber(int index, int column, long value) { SetText(index, column, std::to_string(value)); }

bool CWallpaperList::ContainsFile(std::string_view path) const { return fileIndex_.count(Folded(path)) > 0; }

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
    if (noDuplicates && ContainsFile(path))
        return false;
    ExtenderHandle reader = registry_ ? registry_->FindReaderForFile(path) : nullptr;
    if (!reader)
        return false;
    const char* typeText = ext::ReturnType(reader);
    std::string type = typeText ? typeText : "";
    void* chain = BuildDefaultChain(path, type);
    if (!chain)
        return false;
    int index = GetCount();
    chains_.push_back({chain, CParamChain::WalkLength(chain, gmem::Size(chain))});
    rows_.push_back(RowTexts{path, type, "0", "50", "0"});
    IndexFile(path, +1);
    if (observer_) {
        observer_->RowInserted(index);
        observer_->Modified();
    }
    return true;
}

void CWallpaperList::DeleteEntry(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    IndexFile(rows_[index][kColFile], -1);
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
        SetNumber(index, kColShown, shown + 1 <= priority ? shown + 1 : priority);
    else
        SetNumber(index, kColShown, priority);
}

void CWallpaperList::CountShow(int index) { SetNumber(index, kColTotal, Number(index, kColTotal) + 1); }

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

bool CWallpaperList::ChangeNow(int index)
{
    if (!registry_ || index < 0 || index >= GetCount())
        return false;
    const std::string path = rows_[index][kColFile];
    MarkShown(index);
    if (index >= static_cast<int>(chains_.size()))
        return false; // a row whose chain never loaded
    AttachedChain chain(chains_[index].data, chains_[index].bytes);
    const int count = chain->GetCount();
    if (count < 2)
        return false;
    std::uint8_t* readerBlock = chain->GetBlock(0);
    std::uint8_t* viewerBlock = chain->GetBlock(count - 1);
    ExtenderHandle reader = registry_->FindExtenderById(BlockId(readerBlock));
    ExtenderHandle viewer = registry_->FindExtenderById(BlockId(viewerBlock));
    if (!registry_->IsReader(reader) || !registry_->IsViewer(viewer))
        return false;
    // At the size the viewer's mode needs, where both extenders can say so.
    gmem::Handle image = ReadForViewer(reader, readerBlock, viewer, viewerBlock, path.c_str());
    if (!image)
        return false;
    if (count > 2) {
        ShowMessage("ChangeNow - (Subitems... Work in progress...", VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        gmem::Free(image);
        return false;
    }
    if (!ext::Show(viewer, image, viewerBlock)) {
        gmem::Free(image);
        return false;
    }
    CountShow(index);
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
        if (registry_->IsReader(reader) && registry_->IsViewer(viewer))
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

void CWallpaperList::AppendLoadedRow(RowTexts texts)
{
    IndexFile(texts[kColFile], +1);
    rows_.push_back(std::move(texts));
    if (observer_)
        observer_->RowInserted(GetCount() - 1);
}

void CWallpaperList::AppendLoadedChain(void* chain, std::size_t bytes) { chains_.push_back({chain, bytes}); }

} // namespace vistrel
