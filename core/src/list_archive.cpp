// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/list_archive.h"

#include "vistrel/core/param_block.h"

namespace vistrel {

void ArchiveWriter::Int32(std::uint32_t value)
{
    char bytes[4];
    WriteU32(bytes, value);
    out_.append(bytes, 4);
}

void ArchiveWriter::String(std::string_view text)
{
    const std::size_t n = text.size();
    if (n < 0xFF) {
        out_ += static_cast<char>(n);
    } else if (n < 0xFFFE) {
        out_ += '\xFF';
        out_ += static_cast<char>(n & 0xFF);
        out_ += static_cast<char>(n >> 8);
    } else {
        out_ += "\xFF\xFF\xFF";
        Int32(static_cast<std::uint32_t>(n));
    }
    out_.append(text);
}

void ArchiveWriter::Bytes(const void* data, std::size_t count) { out_.append(static_cast<const char*>(data), count); }

bool ArchiveReader::Take(std::size_t count, const char*& at)
{
    if (error_ != Error::None)
        return false;
    if (count > Remaining()) {
        error_ = Error::EndOfFile;
        return false;
    }
    at = input_.data() + position_;
    position_ += count;
    return true;
}

bool ArchiveReader::Int32(std::uint32_t& value)
{
    const char* at = nullptr;
    if (!Take(4, at))
        return false;
    value = ReadU32(at);
    return true;
}

bool ArchiveReader::Length(std::uint32_t& length)
{
    const char* at = nullptr;
    if (!Take(1, at))
        return false;
    auto b = static_cast<std::uint8_t>(*at);
    if (b < 0xFF) {
        length = b;
        return true;
    }
    if (!Take(2, at))
        return false;
    std::uint32_t w = static_cast<std::uint8_t>(at[0]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(at[1]))
                                                             << 8;
    if (w < 0xFFFE) {
        length = w;
        return true;
    }
    if (w == 0xFFFE) {
        length = 0xFFFFFFFFu; // marks the wide form for the caller
        return true;
    }
    return Int32(length);
}

bool ArchiveReader::String(std::string& text)
{
    std::uint32_t length = 0;
    if (!Length(length))
        return false;
    bool wide = false;
    if (length == 0xFFFFFFFFu) {
        wide = true;
        if (!Length(length))
            return false;
        if (length == 0xFFFFFFFFu) { // a second wide marker is no length at all
            error_ = Error::Damaged;
            return false;
        }
    }
    std::uint64_t bytes = wide ? std::uint64_t{length} * 2 : length;
    if (bytes > Remaining()) {
        // A length longer than the rest of the file is damage, not an
        // allocation to attempt.
        error_ = Error::Damaged;
        return false;
    }
    const char* at = nullptr;
    Take(static_cast<std::size_t>(bytes), at);
    text =
        wide ? Utf16LeToUtf8({at, static_cast<std::size_t>(bytes)}) : std::string(at, static_cast<std::size_t>(bytes));
    return true;
}

bool ArchiveReader::Bytes(std::size_t count, std::string_view& bytes)
{
    if (error_ != Error::None)
        return false;
    if (count > Remaining()) {
        error_ = Error::Damaged;
        return false;
    }
    bytes = input_.substr(position_, count);
    position_ += count;
    return true;
}

std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i]) | static_cast<std::uint8_t>(bytes[i + 1])
                                                                                    << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace vistrel
