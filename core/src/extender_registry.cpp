// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/extender_registry.h"

#include "vistrel/core/extender_calls.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/platform/files.h"
#include "vistrel/platform/paths.h"

#include <algorithm>

namespace vistrel {

std::string_view ExtenderFolderName(ExtenderKind kind)
{
    switch (kind) {
    case ExtenderKind::Reader: return "Read_Expander";
    case ExtenderKind::Middle: return "Middle_Expander";
    case ExtenderKind::Viewer: return "View_Expander";
    case ExtenderKind::Scheduler: return "Scheduler_Expander";
    }
    return {};
}

std::string_view ExtenderFileEnding()
{
#ifdef _WIN32
    return ".dll";
#else
    return ".so";
#endif
}

CExtenderRegistry::~CExtenderRegistry() { UnloadExtenders(); }

bool CExtenderRegistry::LoadExtenders(const std::string& programDirectory)
{
    for (ExtenderKind kind :
         {ExtenderKind::Reader, ExtenderKind::Middle, ExtenderKind::Viewer, ExtenderKind::Scheduler}) {
        LoadExtenderDirectory(programDirectory + std::string(ExtenderFolderName(kind)) + platform::PathSeparator(),
                              kind);
    }
    if (Extenders(ExtenderKind::Scheduler).empty()) {
        ShowMessage("No Scheduler Extender Found. Appplication can't run.", VISTREL_MB_OK | VISTREL_MB_ICONHAND);
        return false;
    }
    return true;
}

void CExtenderRegistry::LoadExtenderDirectory(const std::string& folder, ExtenderKind kind)
{
    for (const std::string& name : platform::ListFiles(folder, ExtenderFileEnding())) {
        std::string path = folder + name;
        std::string systemText;
        ExtenderHandle handle = platform::LoadLibraryAbsolute(path, systemText);
        if (!handle) {
            ShowMessage("Can't Open DLL: " + path + " - " + systemText, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
            continue;
        }
        // Hand the host's message sink to extenders that show messages.
        if (auto setSink = reinterpret_cast<VistrelSetMessageSinkFn>(ext::Lookup(handle, "SetMessageSink")))
            setSink(&VistrelHostMessage);
        arrays_[static_cast<std::size_t>(kind)].push_back(handle);
        paths_.emplace_back(handle, path);
        if (kind == ExtenderKind::Reader) {
            const char* extensions = ext::Extensions(handle);
            readerEndings_.push_back(
                {handle, extensions ? SplitExtensionList(extensions) : std::vector<std::string>{}});
        }
    }
}

void CExtenderRegistry::UnloadExtenders()
{
    for (auto& array : arrays_) {
        for (ExtenderHandle h : array)
            platform::FreeLibrary(h);
        array.clear();
    }
    paths_.clear();
    readerEndings_.clear();
}

ExtenderHandle CExtenderRegistry::FindExtenderById(std::string_view id) const
{
    for (const auto& array : arrays_) {
        for (ExtenderHandle h : array) {
            const char* own = ext::ID(h);
            if (own && id == own)
                return h;
        }
    }
    return nullptr;
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Whether `path` ends with `ending`, whose letters are in lower case.
bool EndsWithLowered(std::string_view path, std::string_view ending)
{
    if (path.size() < ending.size())
        return false;
    const char* tail = path.data() + path.size() - ending.size();
    for (std::size_t i = 0; i < ending.size(); ++i)
        if (Lower(tail[i]) != ending[i])
            return false;
    return true;
}

} // namespace

std::vector<std::string> SplitExtensionList(std::string_view extensions)
{
    extensions = extensions.substr(0, 499);
    std::vector<std::string> endings;
    while (!extensions.empty()) {
        std::size_t cut = extensions.find('\\');
        std::string_view piece = extensions.substr(0, cut);
        extensions.remove_prefix(cut == std::string_view::npos ? extensions.size() : cut + 1);
        if (piece.empty())
            continue;
        std::string lowered(piece);
        for (char& c : lowered)
            c = Lower(c);
        endings.push_back(std::move(lowered));
    }
    return endings;
}

bool MatchesExtensionList(std::string_view path, std::string_view extensions)
{
    // An ending longer than the path never matches.
    for (const std::string& ending : SplitExtensionList(extensions))
        if (EndsWithLowered(path, ending))
            return true;
    return false;
}

ExtenderHandle CExtenderRegistry::FindReaderForFile(std::string_view path) const
{
    for (const ReaderEndings& r : readerEndings_)
        for (const std::string& ending : r.endings)
            if (EndsWithLowered(path, ending))
                return r.reader;
    return nullptr;
}

ExtenderHandle CExtenderRegistry::FirstScheduler() const
{
    const auto& schedulers = Extenders(ExtenderKind::Scheduler);
    return schedulers.empty() ? nullptr : schedulers.front();
}

std::string CExtenderRegistry::PathOf(ExtenderHandle h) const
{
    for (const auto& [handle, path] : paths_)
        if (handle == h)
            return path;
    return {};
}

bool CExtenderRegistry::Contains(ExtenderKind kind, ExtenderHandle h) const
{
    const auto& array = Extenders(kind);
    return h && std::find(array.begin(), array.end(), h) != array.end();
}

} // namespace vistrel
