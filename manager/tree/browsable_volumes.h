// SPDX-License-Identifier: GPL-3.0-or-later
// The "Drives" of the folder tree on a Linux desktop: the mounted file
// systems a user would browse (the root, the home folder's volume, disks and
// removable media mounted below /media, /run/media or /mnt), never the
// kernel's and the RAM's pseudo file systems. Read afresh at each call, so
// media plugged in later show up at the next expansion.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vistrel::manager {

struct MountedVolume {
    QString root;          // the mount point, "/" or without a trailing separator
    QByteArray fileSystem; // "ext4", "vfat", "proc", …
    QString label;         // the volume's name, may be empty
    bool ready = false;
};

struct BrowsableVolume {
    QString root;        // ends with a separator
    QString displayName; // "label (root)", or the root alone
};

// The volumes worth showing out of `mounts`, the root first and the rest by
// mount point; `homeRoot` is the mount point of the volume holding the home folder.
std::vector<BrowsableVolume> ChooseBrowsableVolumes(const std::vector<MountedVolume>& mounts, const QString& homeRoot);

// ChooseBrowsableVolumes over the machine's mounted file systems now.
std::vector<BrowsableVolume> BrowsableVolumes();

} // namespace vistrel::manager
