// SPDX-License-Identifier: GPL-3.0-or-later
#include "fresh_copy.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vistrel::wallpaper::detail {

namespace fs = std::filesystem;

namespace {

// The number of a copy's name "<stem>-<digits><extension>", or nullopt when
// the name is no copy of the file.
std::optional<std::uint64_t> CopyNumber(const std::string& name, const std::string& stem,
                                        const std::string& extension)
{
    std::string prefix = stem + "-";
    if (name.size() <= prefix.size() + extension.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return std::nullopt;
    std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() > 19)
        return std::nullopt;
    std::uint64_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return number;
}

struct Copy {
    fs::path path;
    std::uint64_t number;
};

std::vector<Copy> ListCopies(const fs::path& file)
{
    std::vector<Copy> copies;
    std::string stem = file.stem().string();
    std::string extension = file.extension().string();
    std::error_code ec;
    for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (auto number = CopyNumber(it->path().filename().string(), stem, extension))
            copies.push_back({it->path(), *number});
    }
    return copies;
}

} // namespace

std::optional<std::string> MakeFreshCopy(const std::string& file, std::string& error)
{
    fs::path source(file);
    auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    std::uint64_t number = now.count() > 0 ? static_cast<std::uint64_t>(now.count()) : 0;
    for (const Copy& copy : ListCopies(source)) {
        if (copy.number >= number)
            number = copy.number + 1;
    }
    fs::path target = source.parent_path() /
                      (source.stem().string() + "-" + std::to_string(number) + source.extension().string());
    std::error_code ec;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "Could not copy the wallpaper file \"" + file + "\" to \"" + target.string() +
                "\": " + ec.message();
        fs::remove(target, ec);
        return std::nullopt;
    }
    return target.string();
}

void RemoveOtherCopies(const std::string& file, const std::string& keep)
{
    fs::path kept(keep);
    for (const Copy& copy : ListCopies(fs::path(file))) {
        std::error_code ec;
        if (!fs::equivalent(copy.path, kept, ec))
            fs::remove(copy.path, ec);
    }
}

} // namespace vistrel::wallpaper::detail
