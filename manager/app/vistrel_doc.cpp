// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vistrel_doc.h"

#include "app/texts.h"
#include "vistrel/core/message_sink.h"
#include "vistrel/platform/files.h"

#include <QFileInfo>

namespace vistrel::manager {

CVistrelDoc::CVistrelDoc(const CExtenderRegistry& registry, QObject* parent)
    : QObject(parent), list_(&registry), model_(list_)
{
    model_.onModified = [this] { SetModifiedFlag(true); };
}

CVistrelDoc::~CVistrelDoc() = default;

void CVistrelDoc::ClearPath()
{
    path_.clear();
    diskTime_.reset();
}

void CVistrelDoc::StateChanged()
{
    if (onStateChanged)
        onStateChanged();
}

void CVistrelDoc::NewDocument()
{
    list_.Reset();
    ClearPath();
    modified_ = false;
    StateChanged();
}

ListLoadStatus CVistrelDoc::OpenDocument(const std::string& path)
{
    std::string detail;
    // One reset of the views instead of a notice per row read.
    model_.BeginBulk();
    const std::optional<std::int64_t> before = platform::LastWriteTime(path);
    ListLoadStatus status = ReadListFile(path, list_, detail);
    model_.EndBulk();
    modified_ = false;
    if (LoadedCompletely(status)) {
        path_ = path;
        diskTime_ = before;
    } else {
        // Whatever was read is not what the file holds: never save it there.
        std::string message = LoadFailureMessage(status, detail);
        if (!message.empty())
            ShowMessage(message, VISTREL_MB_OK | VISTREL_MB_ICONEXCLAMATION);
        if (status != ListLoadStatus::WrongFormat) {
            model_.BeginBulk();
            list_.Reset();
            model_.EndBulk();
        }
        ClearPath();
    }
    StateChanged();
    return status;
}

bool CVistrelDoc::SaveDocument(const std::string& path, std::string& error)
{
    if (!WriteListFile(path, list_, error))
        return false;
    path_ = path;
    diskTime_ = platform::LastWriteTime(path);
    modified_ = false;
    StateChanged();
    return true;
}

QString CVistrelDoc::Title() const
{
    if (path_.empty())
        return QString::fromUtf8(texts::kUntitled.data(), static_cast<qsizetype>(texts::kUntitled.size()));
    return QFileInfo(QString::fromStdString(path_)).fileName();
}

void CVistrelDoc::SetModifiedFlag(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    StateChanged();
}

bool CVistrelDoc::DiskChanged() const
{
    if (path_.empty())
        return false;
    return platform::LastWriteTime(path_) != diskTime_;
}

void CVistrelDoc::AcknowledgeDisk()
{
    if (!path_.empty())
        diskTime_ = platform::LastWriteTime(path_);
}

} // namespace vistrel::manager
