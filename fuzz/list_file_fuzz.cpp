// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the list-file reader: any bytes either load completely or fail with
// a status, never reading outside the input or allocating what it merely
// claims; a list that loads writes back to bytes that load to the same list,
// and every chain it holds walks inside its buffer.
#include "vistrel/core/list_file.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/core/param_block.h"
#include "vistrel/core/param_chain.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class SilentSink final : public vistrel::MessageSink {
public:
    int Show(std::string_view, std::string_view, unsigned) override { return VISTREL_IDOK; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentSink sink;
    vistrel::SetMessageSink(&sink);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vistrel::CWallpaperList list;
    list.Reset();
    vistrel::ListLoadStatus status = vistrel::LoadList(list, bytes);
    if (status != vistrel::ListLoadStatus::Ok)
        return 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        vistrel::CParamChain chain;
        if (!chain.Attach(list.GetChain(i), list.GetChainBytes(i)))
            std::abort(); // a loaded chain must walk
        for (int b = 0; b < chain.GetCount(); ++b)
            (void)vistrel::BlockId(chain.GetBlock(b));
        chain.Detach();
    }
    std::string stored = vistrel::StoreList(list);
    vistrel::CWallpaperList again;
    again.Reset();
    if (vistrel::LoadList(again, stored) != vistrel::ListLoadStatus::Ok || vistrel::StoreList(again) != stored)
        std::abort();
    return 0;
}
