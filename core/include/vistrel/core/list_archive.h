// SPDX-License-Identifier: GPL-3.0-or-later
// The primitives list files are made of: little-endian 32-bit integers,
// length-prefixed strings and raw byte runs. The reader never trusts a
// length: one that claims more than the input still holds is an error, so
// memory stays bounded by the size of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

class ArchiveWriter {
public:
    void Int32(std::uint32_t value);
    // One length byte below 255; else 0xFF and a 16-bit length below 0xFFFE;
    // else 0xFF, 0xFFFF and a 32-bit length. Then the bytes, no terminator.
    void String(std::string_view text);
    void Bytes(const void* data, std::size_t count);
    void Reserve(std::size_t bytes) { out_.reserve(bytes); }
    const std::string& Data() const { return out_; }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

class ArchiveReader {
public:
    enum class Error { None, EndOfFile, Damaged };

    explicit ArchiveReader(std::string_view input) : input_(input) {}

    bool Int32(std::uint32_t& value);
    // Also reads the wide form (0xFF, 0xFFFE, a length in characters, then
    // UTF-16 text), turned into UTF-8.
    bool String(std::string& text);
    // A view of the next `count` bytes; fails (Damaged) when fewer remain.
    bool Bytes(std::size_t count, std::string_view& bytes);

    std::size_t Remaining() const { return input_.size() - position_; }
    std::size_t Position() const { return position_; }
    Error GetError() const { return error_; }

private:
    bool Take(std::size_t count, const char*& at);
    bool Length(std::uint32_t& length);

    std::string_view input_;
    std::size_t position_ = 0;
    Error error_ = Error::None;
};

// UTF-16 little-endian to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);

} // namespace vistrel
