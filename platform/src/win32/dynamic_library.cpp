// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/dynamic_library.h"

#include "vistrel/platform/files.h"
#include "win32/text.h"

#include <windows.h>

namespace vistrel::platform {

LibraryHandle LoadLibraryAbsolute(const std::string& absolutePath, std::string& systemText)
{
    if (!IsAbsolutePath(absolutePath)) {
        systemText = "not an absolute path";
        return nullptr;
    }
    // The library's own folder first for its dependencies; never the current one.
    HMODULE module = ::LoadLibraryExW(Wide(absolutePath).c_str(), nullptr,
                                      LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!module)
        systemText = SystemErrorText(::GetLastError());
    return reinterpret_cast<LibraryHandle>(module);
}

void* FindSymbol(LibraryHandle library, const char* name)
{
    return library ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void FreeLibrary(LibraryHandle library)
{
    if (library)
        ::FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace vistrel::platform
