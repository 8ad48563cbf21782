// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's thumbnail cache, as the freedesktop.org thumbnail
// specification lays it out: $XDG_CACHE_HOME/thumbnails/normal (up to
// 128 pixels) and large (up to 256), one PNG per picture named by the MD5
// of the picture's file URI, valid while its "Thumb::URI" names the file and
// its "Thumb::MTime" is the file's last change; fail/<program>-<version>/
// marks pictures that could not be read. File managers fill it, so a
// picture they have shown costs no decode here, and the thumbnails made
// here serve them in turn. No widgets: safe on any thread.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

namespace vistrel::manager::thumbnails {

// The folder sizes of the specification.
inline constexpr int kNormalEdge = 128;
inline constexpr int kLargeEdge = 256;

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails.
QString CacheRoot();

// The picture's file as the cache knows it.
struct SourceFile {
    QString path;           // absolute
    QString uri;            // file:///..., percent-encoded as file managers write it
    std::int64_t mtime = 0; // seconds since 1970
    std::int64_t size = 0;  // bytes
    bool exists = false;
};
SourceFile Describe(const QString& path);

// "file:///a%20b.jpg" for "/a b.jpg", escaped as GLib escapes it.
QString FileUri(const QString& absolutePath);
// The cache's file name for a URI: the MD5 of its bytes in hex, ".png".
QString CacheName(const QString& uri);

enum class Found {
    Thumbnail, // `image` holds it
    Failed,    // a fail entry of this program, still valid: not worth reading again
    Missing,   // nothing, or only a stale thumbnail (another time, another file)
};
struct Lookup {
    Found found = Found::Missing;
    QImage image;
};

// The thumbnail for a picture drawn at up to `edge` pixels: the normal
// folder's for up to 128, else the large one's; the other folder's when the
// first has none.
Lookup Find(const QString& root, const SourceFile& file, int edge);

// Writes a thumbnail of `file` (at most 256 pixels square) into the folder
// its size belongs to: a PNG with Thumb::URI, Thumb::MTime, Thumb::Size and
// Software in tEXt chunks, written to a temporary name beside it and renamed,
// so no other program ever reads half of it; folders 0700, files 0600.
bool Store(const QString& root, const SourceFile& file, const QImage& thumbnail);
// Marks `file` as unreadable for this program (fail/vistrel-<version>/).
bool StoreFailure(const QString& root, const SourceFile& file);

// The picture scaled to fit `edge` pixels square, keeping its proportions,
// never enlarged.
QImage FitInto(const QImage& picture, int edge);

} // namespace vistrel::manager::thumbnails
