// SPDX-License-Identifier: GPL-3.0-or-later
#include "tree/browsable_volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <array>

namespace vistrel::manager {

namespace {

// File systems that hold no user files: the kernel's views, RAM disks,
// read-only package images.
bool IsPseudoFileSystem(const QByteArray& type)
{
    static constexpr std::array<const char*, 24> kPseudo = {
        "proc",      "sysfs",  "devtmpfs",    "devpts",   "tmpfs",      "ramfs",      "cgroup",   "cgroup2",
        "pstore",    "bpf",    "debugfs",     "tracefs",  "securityfs", "configfs",   "fusectl",  "mqueue",
        "hugetlbfs", "autofs", "binfmt_misc", "efivarfs", "nsfs",       "rpc_pipefs", "squashfs", "fuse.portal"};
    for (const char* pseudo : kPseudo)
        if (type == pseudo)
            return true;
    return false;
}

bool IsBelow(const QString& root, const QString& folder)
{
    return root.startsWith(folder + QLatin1Char('/')) && root.size() > folder.size() + 1;
}

QString WithSeparator(QString root)
{
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

} // namespace

std::vector<BrowsableVolume> ChooseBrowsableVolumes(const std::vector<MountedVolume>& mounts, const QString& homeRoot)
{
    std::vector<BrowsableVolume> chosen;
    for (const MountedVolume& mount : mounts) {
        if (!mount.ready || mount.root.isEmpty())
            continue;
        const bool isRoot = mount.root == QLatin1String("/");
        const bool wanted = isRoot || mount.root == homeRoot || IsBelow(mount.root, QStringLiteral("/media")) ||
                            IsBelow(mount.root, QStringLiteral("/run/media")) ||
                            IsBelow(mount.root, QStringLiteral("/mnt"));
        if (!wanted || (!isRoot && IsPseudoFileSystem(mount.fileSystem)))
            continue;
        const QString root = WithSeparator(mount.root);
        if (std::any_of(chosen.begin(), chosen.end(), [&](const BrowsableVolume& v) { return v.root == root; }))
            continue;
        QString name = mount.label.isEmpty() || mount.label == mount.root
                           ? mount.root
                           : mount.label + QStringLiteral(" (") + mount.root + QLatin1Char(')');
        chosen.push_back({root, name});
    }
    std::sort(chosen.begin(), chosen.end(), [](const BrowsableVolume& a, const BrowsableVolume& b) {
        const bool aRoot = a.root == QLatin1String("/"), bRoot = b.root == QLatin1String("/");
        if (aRoot != bRoot)
            return aRoot;
        return a.root < b.root;
    });
    return chosen;
}

std::vector<BrowsableVolume> BrowsableVolumes()
{
    std::vector<MountedVolume> mounts;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        // A file bound over another (containers do that) is no volume to browse.
        if (!storage.isValid() || !QFileInfo(storage.rootPath()).isDir())
            continue;
        mounts.push_back({storage.rootPath(), storage.fileSystemType(), storage.name(), storage.isReady()});
    }
    return ChooseBrowsableVolumes(mounts, QStorageInfo(QDir::homePath()).rootPath());
}

} // namespace vistrel::manager
