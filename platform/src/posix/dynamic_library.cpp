// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/platform/dynamic_library.h"

#include "vistrel/platform/files.h"

#include <dlfcn.h>

namespace vistrel::platform {

LibraryHandle LoadLibraryAbsolute(const std::string& absolutePath, std::string& systemText)
{
    if (!IsAbsolutePath(absolutePath)) {
        systemText = "not an absolute path";
        return nullptr;
    }
    // RTLD_LOCAL: an extender's symbols never stand in for another's.
    void* handle = ::dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = ::dlerror();
        systemText = text ? text : "unknown error";
    }
    return handle;
}

void* FindSymbol(LibraryHandle library, const char* name) { return library ? ::dlsym(library, name) : nullptr; }

void FreeLibrary(LibraryHandle library)
{
    if (library)
        ::dlclose(library);
}

} // namespace vistrel::platform
