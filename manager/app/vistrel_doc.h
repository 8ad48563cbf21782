// SPDX-License-Identifier: GPL-3.0-or-later
// The list manager's document: one image list, the file it came from, and
// whether it changed since it was read or saved.
//
// Two rules guard the user's files. A list that did not load completely
// (a wrong format, a damaged or unreadable file) leaves the document without
// a file name, so saving asks for one and never writes over the file that
// failed to load. And the document remembers the file's last-write time from
// its own read or save, so that a later save can tell when another program
// (the scheduler writes its counters into the list) wrote the file since.
#pragma once

#include "list/image_list_model.h"
#include "vistrel/core/list_file.h"
#include "vistrel/core/wallpaper_list.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vistrel::manager {

class CVistrelDoc final : public QObject {
    Q_OBJECT
public:
    explicit CVistrelDoc(const CExtenderRegistry& registry, QObject* parent = nullptr);
    ~CVistrelDoc() override;

    CWallpaperList& List() { return list_; }
    const CWallpaperList& List() const { return list_; }
    ImageListModel& Model() { return model_; }

    // A new empty list without a file name.
    void NewDocument();
    // Reads a list file. Unless it loaded completely the document is left as
    // a new empty list without a file name (the message was shown by then).
    ListLoadStatus OpenDocument(const std::string& path);
    // Writes the list into `path` atomically (the old file stays whole when
    // that fails); on success the document takes that name and is clean.
    bool SaveDocument(const std::string& path, std::string& error);

    const std::string& PathName() const { return path_; }
    // The file's name, or "Untitled".
    QString Title() const;

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);

    // Whether the file was written by someone else since this document read
    // or saved it (or it is gone).
    bool DiskChanged() const;
    // Takes the file as it is now as the one the user has seen: the next
    // save writes over it without asking.
    void AcknowledgeDisk();

    // Called whenever the title or the modified flag changes.
    std::function<void()> onStateChanged;

private:
    void ClearPath();
    void StateChanged();

    CWallpaperList list_;
    ImageListModel model_;
    std::string path_;
    std::optional<std::int64_t> diskTime_;
    bool modified_ = false;
};

} // namespace vistrel::manager
