// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/extender_command.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"

#include <vector>

namespace vistrel {

std::vector<std::string> MenuCommands(ExtenderHandle extender)
{
    std::vector<std::string> commands;
    const char* definition = ext::MenuDefinition(extender);
    if (!definition)
        return commands;
    std::string_view rest = definition;
    while (true) {
        std::size_t cut = rest.find("\\\\");
        commands.emplace_back(rest.substr(0, cut));
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 2);
    }
    return commands;
}

namespace {

// Edits row `index`'s chain through `edit` and stores the buffer back.
template <typename Edit> bool EditChain(CWallpaperList& list, int index, Edit edit)
{
    CParamChain chain;
    if (!chain.Attach(list.GetChain(index), list.GetChainBytes(index))) {
        chain.Detach();
        return false;
    }
    bool ok = edit(chain);
    std::size_t length = chain.GetLength();
    list.StoreChain(index, chain.Detach(), length);
    return ok;
}

} // namespace

int ApplyExtenderCommand(CWallpaperList& list, const CExtenderRegistry& registry, ExtenderHandle extender, int command,
                         const std::vector<int>& rows)
{
    const char* typeText = ext::ReturnType(extender);
    const char* idText = ext::ID(extender);
    if (!typeText || !idText)
        return 0;
    const std::string type = typeText, id = idText;
    const bool viewer = registry.IsViewer(extender);
    if (!viewer && !registry.IsMiddle(extender))
        return 0;

    std::vector<std::uint8_t> result; // the viewer's block after the command, for the rows that follow
    int changed = 0;
    for (int row : rows) {
        if (row < 0 || row >= list.GetCount() || list.GetText(row, kColType) != type)
            continue;
        bool ok = EditChain(list, row, [&](CParamChain& chain) {
            if (viewer && !result.empty()) {
                chain.RemoveLast();
                return chain.Append(result.data(), result.size());
            }
            int at = chain.FindById(id);
            std::uint8_t* block = nullptr;
            if (at >= 0) {
                block = static_cast<std::uint8_t*>(ext::RunCommand(extender, chain.GetBlock(at), command));
                if (!viewer && !block)
                    return chain.Remove(at); // a middle extender asked for its block to go
            } else {
                void* defaults = ext::GetDefParams(extender);
                if (!defaults)
                    return false;
                void* fresh = ext::RunCommand(extender, defaults, command);
                if (fresh != defaults)
                    gmem::Free(defaults); // the extender handed back a block of its own
                if (!fresh)
                    return false;
                if (viewer) {
                    chain.RemoveLast();
                    if (!chain.AppendAndFree(fresh))
                        return false;
                    block = chain.GetBlock(chain.GetCount() - 1);
                } else if (!chain.InsertBeforeLastAndFree(fresh)) {
                    return false;
                }
            }
            if (viewer && block && BlockFits(block, BlockSize(block)))
                result.assign(block, block + BlockSize(block));
            return true;
        });
        if (ok)
            ++changed;
    }
    if (changed && list.Observer())
        list.Observer()->Modified();
    return changed;
}

} // namespace vistrel
