// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tree's items: the "Extenders" root, the "Drives" root with the
// mounted volumes below it, and the desktop folder, each folder read only
// when it is expanded (and read again at every expansion, so files added in
// between show up). Of a folder's files only those a reader extender claims
// are listed; hidden entries never are.
//
// Items know their own file-system path. A folder not read yet has no rows
// but says it has children, so the view draws its expand button; once read
// and found empty it says it has none.
#pragma once

#include "vistrel/core/extender_registry.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <memory>
#include <string>
#include <vector>

namespace vistrel::manager {

class FolderTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    enum class Kind { ExtendersRoot, DrivesRoot, Drive, Desktop, Folder, File };

    // `desktopFolder` without a trailing separator; empty: DesktopFolder().
    explicit FolderTreeModel(const CExtenderRegistry& registry, std::string desktopFolder = {},
                             QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // $XDG_DESKTOP_DIR, else the desktop of the user's folder settings when
    // it exists, else the home folder.
    static std::string DesktopFolder();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Reads the item's children afresh: the volumes for "Drives", the
    // subfolders and then the claimed files for a folder. Nothing for
    // "Extenders" and files.
    void Fill(const QModelIndex& index);

    Kind KindOf(const QModelIndex& index) const;
    // The item's path: a folder's ends with a separator, a file's does not;
    // empty for the two roots that are no folders.
    std::string PathOf(const QModelIndex& index) const;
    // Whether the item counts as having a child: a folder not read yet, or
    // one read and found not empty. A folder found empty counts as a leaf.
    bool HasChild(const QModelIndex& index) const;
    // A drive, the desktop or a folder.
    bool IsFolder(const QModelIndex& index) const;

    QModelIndex ExtendersRoot() const { return createIndex(0, 0, roots_[0].get()); }
    QModelIndex DrivesRoot() const { return createIndex(1, 0, roots_[1].get()); }
    QModelIndex DesktopRoot() const { return createIndex(2, 0, roots_[2].get()); }
    // The child of `parent` with this display text, or an invalid index.
    QModelIndex Find(const QModelIndex& parent, const QString& name) const;

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    QIcon IconOf(const Node& node) const;

    const CExtenderRegistry& registry_;
    std::vector<std::unique_ptr<Node>> roots_;
    QFileIconProvider icons_;
    // File icons by name ending: the icon provider looks at the file's type,
    // which is the same for every file with that ending.
    mutable QHash<QString, QIcon> fileIcons_;
    mutable QIcon folderIcon_;
};

} // namespace vistrel::manager
