// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/folder_listing.h"

#include "win32/text.h"

#include <windows.h>

namespace vistrel::platform {

bool FolderListing::Read(const std::string& folder)
{
    entries_.clear();
    names_.clear();
    // An empty path names no folder; the pattern alone would search the
    // current folder (and a lone "\\*.*" the current drive).
    if (folder.empty())
        return false;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += "*.*";
    WIN32_FIND_DATAW data;
    // The short (8.3) names are never used, so the system need not look them up.
    HANDLE find = ::FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        const wchar_t* wide = data.cFileName;
        if (wide[0] == L'.' && (wide[1] == L'\0' || (wide[1] == L'.' && wide[2] == L'\0')))
            continue;
        const DWORD attributes = data.dwFileAttributes;
        // Windows has the types in the listing, so there is nothing to examine.
        Add(Utf8(wide), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0,
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    // Entries stay in the file system's order, as Windows users saw them.
    return true;
}

} // namespace vistrel::platform
