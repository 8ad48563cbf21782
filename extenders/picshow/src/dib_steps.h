// SPDX-License-Identifier: GPL-3.0-or-later
// The composition's steps on DIBs, each returning a new block (or null with
// the reason) and leaving its input alone.
#pragma once

#include "compose.h"

#include "vistrel/dib/dib.h"

namespace picshow {

// An owned block that is released at the end of the scope unless it is the
// borrowed input itself.
class Step {
public:
    Step(gmem::Handle handle, gmem::Handle borrowed) : handle_(handle), borrowed_(borrowed) {}
    ~Step()
    {
        if (handle_ != borrowed_)
            gmem::Free(handle_);
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;
    gmem::Handle get() const { return handle_; }
    // Hands the block out; the borrowed input is handed out as it is.
    gmem::Handle release()
    {
        gmem::Handle h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    gmem::Handle handle_;
    gmem::Handle borrowed_;
};

// Whether the block holds a 40-byte-header DIB whose colour table, and for
// uncompressed pixels every row, lie inside the block.
bool IsSoundDIB(gmem::Handle image, vistrel::dib::Layout* layout = nullptr);

// A 24-bit form of the image: a new block for 1, 4 and 8 bits; the image
// itself for other depths. Null (with `error`) when the conversion failed.
gmem::Handle To24(gmem::Handle image, std::string& error);

// Whether ScaleDIB would make of `image` at width x height a block equal to
// it, byte for byte: a 24-bit picture of that size with the header ScaleDIB
// writes and zero padding, as a reader that scaled while decoding makes
// it. It can then be shown as it is, without the copy.
bool ScaleWouldCopy(gmem::Handle image, std::int64_t width, std::int64_t height);

// ScaleDIB by area averaging; null with `error` on failure.
gmem::Handle Scale(gmem::Handle image, std::int64_t width, std::int64_t height, const vistrel::dib::ScaleHooks& hooks,
                   std::string& error);

// The free-position canvas (variant 0).
Composition ComposeFreePos(gmem::Handle image, const ViewerSettings& settings, const Screen& screen,
                           const vistrel::dib::ScaleHooks& hooks);

} // namespace picshow
