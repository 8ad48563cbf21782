// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/dialog_companion/companion.h"

#include <dlfcn.h>
#include <string>

// The soname of the Qt Widgets library the companions are built against.
#ifndef VISTREL_QT_WIDGETS_SONAME
#error "VISTREL_QT_WIDGETS_SONAME must name the companions' Qt Widgets library"
#endif

namespace vistrel::companion {

namespace {

// The folder above the extender folder that holds the library containing
// `anchor`, with a trailing "/"; empty when it cannot be told.
std::string ProgramFolderOf(const void* anchor)
{
    Dl_info info{};
    if (!::dladdr(anchor, &info) || !info.dli_fname || info.dli_fname[0] != '/')
        return {};
    std::string path = info.dli_fname;
    std::size_t file = path.rfind('/');
    if (file == std::string::npos || file == 0)
        return {};
    std::size_t kindFolder = path.rfind('/', file - 1);
    return kindFolder == std::string::npos ? std::string{} : path.substr(0, kindFolder + 1);
}

} // namespace

void* FindDialogEntry(const void* anchor, const char* name, const char* symbol)
{
    // RTLD_NOLOAD only looks: it never brings Qt into a process without it.
    void* qt = ::dlopen(VISTREL_QT_WIDGETS_SONAME, RTLD_LAZY | RTLD_NOLOAD);
    if (!qt)
        return nullptr;
    ::dlclose(qt); // drops the reference the look took; Qt stays as it was
    std::string folder = ProgramFolderOf(anchor);
    if (folder.empty())
        return nullptr;
    std::string path = folder + kFolder + "/" + name + ".so";
    // Never closed: its widgets' classes must outlive every dialog.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return library ? ::dlsym(library, symbol) : nullptr;
}

} // namespace vistrel::companion
