// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"
#include "json_writer.h"
#include "list_io.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/extender_command.h"
#include "vistrel/core/folder_walk.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"
#include "vistrel/core/scheduler_settings.h"
#include "vistrel/platform/files.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

namespace vistrelctl {

using namespace vistrel;

namespace {

// A list left for the end of the process to free (see CommandAdd); a pointer
// is kept to it, so it is no leak.
CWallpaperList* listKeptToTheEnd = nullptr;

// Row numbers as `show` prints them (from 1), or "all".
bool ParseRows(const std::vector<std::string>& words, int count, std::set<int>& rows)
{
    for (const std::string& word : words) {
        if (word == "all") {
            for (int i = 0; i < count; ++i)
                rows.insert(i);
            continue;
        }
        int n = 0;
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
        if (ec != std::errc() || end != word.data() + word.size() || n < 1 || n > count)
            return false;
        rows.insert(n - 1);
    }
    return true;
}

std::string Trimmed(std::string_view id)
{
    while (!id.empty() && id.back() == ' ')
        id.remove_suffix(1);
    return std::string(id);
}

std::string ScheduleDescription(const CExtenderRegistry& registry, const CWallpaperList& list)
{
    std::uint8_t* block = list.GetSchedulerBlock();
    if (!block)
        return {};
    ExtenderHandle scheduler = registry.FindExtenderById(BlockId(block));
    char* text = registry.IsScheduler(scheduler) ? ext::TimeSchedulationDescription(scheduler, block) : nullptr;
    std::string description = text ? text : "";
    gmem::Free(text);
    return description;
}

struct ChainBlock {
    std::string id;
    std::uint32_t size;
    std::uint32_t value;
};

std::vector<ChainBlock> ChainBlocks(const CWallpaperList& list, int row)
{
    std::vector<ChainBlock> blocks;
    CParamChain chain;
    chain.Attach(list.GetChain(row), list.GetChainBytes(row));
    for (int i = 0; i < chain.GetCount(); ++i) {
        const std::uint8_t* b = chain.GetBlock(i);
        blocks.push_back({std::string(BlockId(b)), BlockSize(b), ReadU32(b + 4)});
    }
    chain.Detach();
    return blocks;
}

void PrintJson(Context& c, const CWallpaperList& list)
{
    std::ostream& out = c.out;
    const std::uint8_t* block = list.GetSchedulerBlock();
    out << "{\n  \"random\": " << list.GetRandom() << ",\n  \"schedule\": {";
    if (block)
        out << "\"id\": " << JsonString(BlockId(block)) << ", \"size\": " << BlockSize(block)
            << ", \"description\": " << JsonString(ScheduleDescription(c.registry, list));
    out << "},\n  \"rows\": [";
    for (int i = 0; i < list.GetCount(); ++i) {
        const RowTexts& r = list.GetRow(i);
        out << (i ? ",\n" : "\n") << "    {\"file\": " << JsonString(r[kColFile])
            << ", \"type\": " << JsonString(r[kColType]) << ", \"total\": " << JsonString(r[kColTotal])
            << ", \"priority\": " << JsonString(r[kColPriority]) << ", \"shown\": " << JsonString(r[kColShown])
            << ", \"chain\": [";
        bool first = true;
        for (const ChainBlock& b : ChainBlocks(list, i)) {
            out << (first ? "" : ", ") << "{\"id\": " << JsonString(b.id) << ", \"size\": " << b.size
                << ", \"value\": " << b.value << "}";
            first = false;
        }
        out << "]}";
    }
    out << (list.GetCount() ? "\n  ]\n}\n" : "]\n}\n");
}

void PrintText(Context& c, const CWallpaperList& list)
{
    std::ostream& out = c.out;
    out << "Random: " << (list.GetRandom() ? "on" : "off") << " (" << list.GetRandom() << ")\n";
    if (const std::uint8_t* block = list.GetSchedulerBlock())
        out << "Schedule: " << ScheduleDescription(c.registry, list) << " [" << Trimmed(BlockId(block)) << ", "
            << BlockSize(block) << " bytes]\n";
    else
        out << "Schedule: none\n";
    out << "Entries: " << list.GetCount() << "\n";
    for (int i = 0; i < list.GetCount(); ++i) {
        const RowTexts& r = list.GetRow(i);
        out << "\n"
            << (i + 1) << ". " << r[kColFile] << "\n   Type: " << r[kColType] << "  Total: " << r[kColTotal]
            << "  Priority: " << r[kColPriority] << "  Shown: " << r[kColShown] << "\n   Chain:";
        for (const ChainBlock& b : ChainBlocks(list, i))
            out << " " << Trimmed(b.id) << " (" << b.size << " bytes, value " << b.value << ")";
        out << "\n";
    }
}

// Loads the list, applies `change` to the given rows (all when none given) and
// saves; `unchanged` tells whether the file already held the result.
template <typename Change>
int ChangeRows(Context& c, const std::vector<std::string>& args, bool rowsRequired, Change change,
               bool* unchanged = nullptr)
{
    CWallpaperList list(&c.registry);
    if (int rc = Load(args[0], list))
        return rc;
    std::set<int> rows;
    std::vector<std::string> words(args.begin() + 1, args.end());
    if (words.empty() && rowsRequired)
        return UsageError("no row given");
    if (words.empty())
        words.push_back("all");
    if (!ParseRows(words, list.GetCount(), rows))
        return UsageError("rows are numbered 1 to " + std::to_string(list.GetCount()) + ", or \"all\"");
    change(list, rows);
    return Save(args[0], list, c.out, unchanged);
}

// Why a file named on the command line cannot become an entry; empty when
// nothing speaks against it.
std::string WhyNamedFileIsRefused(const CExtenderRegistry& registry, const CWallpaperList& list,
                                  const std::filesystem::path& path, const std::string& full, bool noDuplicates)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return "no such file";
    if (!std::filesystem::is_regular_file(path, ec))
        return "not a regular file";
    if (noDuplicates && list.ContainsFile(full))
        return "it is in the list already (--allow-duplicates adds it again)";
    if (!registry.FindReaderForFile(full))
        return "no reader extender reads files of its kind";
    return {};
}

} // namespace

int CommandNew(Context& c, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("new takes one list file");
    std::error_code ec;
    if (std::filesystem::exists(platform::PathFromUtf8(args[0]), ec)) {
        ShowMessage(args[0] + " already exists; it was left as it is.", VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        return kFailure;
    }
    CWallpaperList list(&c.registry);
    list.Reset();
    return Save(args[0], list, c.out);
}

int CommandAdd(Context& c, const std::vector<std::string>& args)
{
    bool noDuplicates = true;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--allow-duplicates")
            noDuplicates = false;
        else
            paths.push_back(args[i]);
    }
    if (paths.empty())
        return UsageError("add needs at least one file or folder");
    auto owned = std::make_unique<CWallpaperList>(&c.registry);
    CWallpaperList& list = *owned;
    // A list of a whole photo collection is a hundred thousand blocks, which
    // a process about to end gives back at once rather than one by one.
    struct KeptToTheEnd {
        std::unique_ptr<CWallpaperList>& owned;
        bool keep;
        ~KeptToTheEnd()
        {
            if (keep)
                listKeptToTheEnd = owned.release();
        }
    } keptToTheEnd{owned, c.processEnds};
    if (int rc = Load(args[0], list))
        return rc;
    FolderWalk walk;
    walk.onFiles = [&](std::span<const std::string> files) { return list.InsertFiles(files, noDuplicates); };
    int namedRefused = 0;
    for (const std::string& given : paths) {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::absolute(platform::PathFromUtf8(given), ec);
        std::string full = ec ? given : platform::Utf8FromPath(path.lexically_normal());
        if (std::filesystem::is_directory(path, ec)) {
            walk.Walk(full);
            continue;
        }
        // A file named outright is one the user meant: say why it was left out.
        std::string why = WhyNamedFileIsRefused(c.registry, list, path, full, noDuplicates);
        if (why.empty() && list.InsertFile(full, noDuplicates)) {
            ++walk.filesAdded;
            continue;
        }
        ShowMessage(given + " was not added: " + (why.empty() ? "no viewer extender shows its type" : why),
                    VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        ++namedRefused;
    }
    c.out << walk.filesAdded << (walk.filesAdded == 1 ? " entry" : " entries") << " added\n";
    if (walk.filesAdded > 0)
        return Save(args[0], list, c.out);
    return namedRefused > 0 ? kFailure : kSuccess;
}

int CommandShow(Context& c, const std::vector<std::string>& args)
{
    bool json = args.size() == 2 && args[1] == "--json";
    if (args.size() > 2 || (args.size() == 2 && !json))
        return UsageError("show takes a list file and optionally --json");
    CWallpaperList list(&c.registry);
    if (int rc = Load(args[0], list))
        return rc;
    json ? PrintJson(c, list) : PrintText(c, list);
    return kSuccess;
}

int CommandPriority(Context& c, const std::vector<std::string>& args)
{
    if (args.size() < 3)
        return UsageError("priority takes a list file, rows and a value");
    const std::string& text = args.back();
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > 100)
        return UsageError("a priority is a whole number from 1 to 100");
    std::vector<std::string> rowArgs(args.begin(), args.end() - 1);
    return ChangeRows(c, rowArgs, true, [&](CWallpaperList& list, const std::set<int>& rows) {
        for (int row : rows)
            list.SetText(row, kColPriority, std::to_string(value));
    });
}

namespace {

std::string Folded(std::string_view text)
{
    std::string folded;
    for (char ch : text)
        if (ch != '.')
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return folded;
}

// The viewer or middle extender command whose menu text starts with `word`
// (letter case and dots ignored), or false when none or more than one does.
bool FindMenuCommand(const CExtenderRegistry& registry, const std::string& word, ExtenderHandle& extender, int& command,
                     std::vector<std::string>& offered)
{
    int matches = 0;
    for (ExtenderKind kind : {ExtenderKind::Viewer, ExtenderKind::Middle}) {
        for (ExtenderHandle h : registry.Extenders(kind)) {
            std::vector<std::string> commands = MenuCommands(h);
            for (std::size_t i = 0; i < commands.size(); ++i) {
                offered.push_back(commands[i]);
                std::string text = Folded(commands[i]);
                if (Folded(word) == text) // an exact name wins over prefixes
                    return extender = h, command = static_cast<int>(i), true;
                if (text.rfind(Folded(word), 0) == 0) {
                    extender = h;
                    command = static_cast<int>(i);
                    ++matches;
                }
            }
        }
    }
    return matches == 1;
}

} // namespace

int CommandMode(Context& c, const std::vector<std::string>& args)
{
    if (args.size() < 3)
        return UsageError("mode takes a list file, rows and a viewer command");
    ExtenderHandle extender = nullptr;
    int command = 0;
    std::vector<std::string> offered;
    if (!FindMenuCommand(c.registry, args.back(), extender, command, offered)) {
        std::string names;
        for (const std::string& o : offered)
            names += (names.empty() ? "" : ", ") + o;
        return UsageError("\"" + args.back() + "\" names no single viewer command (" + names + ")");
    }
    // A command whose text ends in "..." opens the extender's dialog, which
    // has no window to show in here: refuse it rather than report a change.
    std::string text = MenuCommands(extender)[static_cast<std::size_t>(command)];
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0) {
        std::cerr << "vistrelctl: \"" << text
                  << "\" opens a dialog, which vistrelctl cannot show; choose it in the list manager\n";
        return kUsage;
    }
    std::vector<std::string> rowArgs(args.begin(), args.end() - 1);
    int changed = 0;
    bool unchanged = false;
    int rc = ChangeRows(
        c, rowArgs, true,
        [&](CWallpaperList& list, const std::set<int>& rows) {
            changed =
                ApplyExtenderCommand(list, c.registry, extender, command, std::vector<int>(rows.begin(), rows.end()));
        },
        &unchanged);
    if (rc == kSuccess && !unchanged)
        c.out << changed << (changed == 1 ? " entry" : " entries") << " changed\n";
    return rc;
}

int CommandRemove(Context& c, const std::vector<std::string>& args)
{
    return ChangeRows(c, args, true, [](CWallpaperList& list, const std::set<int>& rows) {
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            list.DeleteEntry(*row);
    });
}

int CommandResetShown(Context& c, const std::vector<std::string>& args)
{
    return ChangeRows(c, args, false, [](CWallpaperList& list, const std::set<int>& rows) {
        for (int row : rows)
            list.ResetShown(row);
    });
}

int CommandResetTotals(Context& c, const std::vector<std::string>& args)
{
    return ChangeRows(c, args, false, [](CWallpaperList& list, const std::set<int>& rows) {
        for (int row : rows)
            list.ResetTotal(row);
    });
}

int CommandRandom(Context& c, const std::vector<std::string>& args)
{
    if (args.size() != 2 || (args[1] != "on" && args[1] != "off"))
        return UsageError("random takes a list file and on or off");
    CWallpaperList list(&c.registry);
    if (int rc = Load(args[0], list))
        return rc;
    list.SetRandom(args[1] == "on" ? 1 : 0);
    return Save(args[0], list, c.out);
}

int CommandCurrent(Context& c, const std::vector<std::string>& args)
{
    if (!args.empty())
        return UsageError("current takes no arguments");
    std::string current = ReadCurrentList();
    if (current.empty())
        return kFailure;
    c.out << current << "\n";
    return kSuccess;
}

int CommandUse(Context& c, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return UsageError("use takes one list file");
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(platform::PathFromUtf8(args[0]), ec);
    std::string full = platform::Utf8FromPath(path.lexically_normal());
    CWallpaperList list(&c.registry);
    if (int rc = Load(full, list))
        return rc;
    if (!FitsCurrentList(full)) {
        ShowMessage(full + " was not made the current list: its name is " + std::to_string(full.size()) +
                        " bytes long, and the scheduler reads only names shorter than 200 bytes. Move or rename "
                        "the list.",
                    VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        return kFailure;
    }
    RecentFileList recent;
    recent.Load();
    recent.Add(full);
    if (!recent.Save()) {
        ShowMessage("The current list could not be recorded.", VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        return kFailure;
    }
    c.out << full << " is now the current list\n";
    return kSuccess;
}

} // namespace vistrelctl
