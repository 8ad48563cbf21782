// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/folder_tree_model.h"

#include "app/artwork.h"
#include "app/texts.h"
#include "tree/browsable_volumes.h"
#include "vistrel/core/folder_contents.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

struct FolderTreeModel::Node {
    Kind kind;
    QString name;
    std::string path; // folders end with a separator
    Node* parent = nullptr;
    int row = 0;
    bool read = false;
    std::vector<std::unique_ptr<Node>> children;
};

FolderTreeModel::FolderTreeModel(const CExtenderRegistry& registry, std::string desktopFolder, QObject* parent)
    : QAbstractItemModel(parent), registry_(registry)
{
    icons_.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
    if (desktopFolder.empty())
        desktopFolder = DesktopFolder();
    const QString desktopName = QFileInfo(QString::fromStdString(desktopFolder)).fileName();
    auto root = [&](Kind kind, QString name, std::string path, int row) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->name = std::move(name);
        node->path = std::move(path);
        node->row = row;
        node->read = kind == Kind::ExtendersRoot; // nothing hangs below it
        roots_.push_back(std::move(node));
    };
    root(Kind::ExtendersRoot, Q(texts::kTreeExtenders), {}, 0);
    root(Kind::DrivesRoot, Q(texts::kTreeDrives), {}, 1);
    root(Kind::Desktop, desktopName.isEmpty() ? QString::fromStdString(desktopFolder) : desktopName,
         WithSeparator(desktopFolder), 2);
}

FolderTreeModel::~FolderTreeModel() = default;

std::string FolderTreeModel::DesktopFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_DESKTOP_DIR");
    for (const QString& candidate :
         {fromEnvironment, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)}) {
        if (!candidate.isEmpty() && QDir::isAbsolutePath(candidate) && QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate).toStdString();
    }
    return QDir::cleanPath(QDir::homePath()).toStdString();
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < static_cast<int>(roots_.size()) ? createIndex(row, 0, roots_[row].get()) : QModelIndex();
    Node* node = NodeOf(parent);
    if (row >= static_cast<int>(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[row].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    Node* node = NodeOf(child);
    if (!node || !node->parent)
        return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(roots_.size());
    return parent.column() == 0 ? static_cast<int>(NodeOf(parent)->children.size()) : 0;
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return true;
    const Node* node = NodeOf(parent);
    if (node->kind == Kind::File || node->kind == Kind::ExtendersRoot)
        return false;
    return !node->read || !node->children.empty();
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole: return node->name;
    case Qt::DecorationRole: return IconOf(*node);
    case Qt::ToolTipRole:
        return node->kind == Kind::Drive || node->kind == Kind::Desktop ? QString::fromStdString(node->path)
                                                                        : QVariant();
    default: return {};
    }
}

QIcon FolderTreeModel::IconOf(const Node& node) const
{
    switch (node.kind) {
    case Kind::ExtendersRoot: return ProgramIcon();
    case Kind::DrivesRoot: return icons_.icon(QAbstractFileIconProvider::Computer);
    case Kind::Drive: return icons_.icon(QAbstractFileIconProvider::Drive);
    case Kind::Desktop: return icons_.icon(QAbstractFileIconProvider::Desktop);
    case Kind::Folder:
        if (folderIcon_.isNull())
            folderIcon_ = icons_.icon(QAbstractFileIconProvider::Folder);
        return folderIcon_;
    case Kind::File: {
        const QString ending = QFileInfo(node.name).suffix().toLower();
        auto found = fileIcons_.constFind(ending);
        if (found != fileIcons_.constEnd())
            return *found;
        QIcon icon = icons_.icon(QFileInfo(QString::fromStdString(node.path)));
        fileIcons_.insert(ending, icon);
        return icon;
    }
    }
    return {};
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (node->kind == Kind::File || node->kind == Kind::ExtendersRoot)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void FolderTreeModel::Fill(const QModelIndex& index)
{
    Node* node = NodeOf(index);
    if (!node || node->kind == Kind::ExtendersRoot || node->kind == Kind::File)
        return;
    std::vector<std::unique_ptr<Node>> fresh;
    auto add = [&](Kind kind, QString name, std::string path) {
        auto child = std::make_unique<Node>();
        child->kind = kind;
        child->name = std::move(name);
        child->path = std::move(path);
        child->parent = node;
        child->row = static_cast<int>(fresh.size());
        fresh.push_back(std::move(child));
    };
    if (node->kind == Kind::DrivesRoot) {
        for (const BrowsableVolume& volume : BrowsableVolumes())
            add(Kind::Drive, volume.displayName, volume.root.toStdString());
    } else if (auto contents = ListFolderContents(node->path, registry_)) {
        fresh.reserve(contents->folders.size() + contents->files.size());
        for (const platform::FolderEntry& folder : contents->folders)
            add(Kind::Folder, QString::fromStdString(folder.name), node->path + folder.name + '/');
        for (const platform::FolderEntry& file : contents->files)
            add(Kind::File, QString::fromStdString(file.name), node->path + file.name);
    }

    if (!node->children.empty()) {
        beginRemoveRows(index, 0, static_cast<int>(node->children.size()) - 1);
        node->children.clear();
        endRemoveRows();
    }
    node->read = true;
    if (fresh.empty()) {
        // No rows came or went, but the expand button must go: the view
        // works out again which items have children.
        emit layoutAboutToBeChanged();
        emit layoutChanged();
        return;
    }
    beginInsertRows(index, 0, static_cast<int>(fresh.size()) - 1);
    node->children = std::move(fresh);
    endInsertRows();
}

FolderTreeModel::Kind FolderTreeModel::KindOf(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    return node ? node->kind : Kind::ExtendersRoot;
}

std::string FolderTreeModel::PathOf(const QModelIndex& index) const
{
    const Node* node = NodeOf(index);
    return node ? node->path : std::string();
}

bool FolderTreeModel::HasChild(const QModelIndex& index) const { return index.isValid() && hasChildren(index); }

bool FolderTreeModel::IsFolder(const QModelIndex& index) const
{
    const Kind kind = KindOf(index);
    return index.isValid() && (kind == Kind::Drive || kind == Kind::Desktop || kind == Kind::Folder);
}

QModelIndex FolderTreeModel::Find(const QModelIndex& parent, const QString& name) const
{
    for (int row = 0; row < rowCount(parent); ++row) {
        QModelIndex child = index(row, 0, parent);
        if (NodeOf(child)->name == name)
            return child;
    }
    return {};
}

} // namespace vistrel::manager
