// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/thumbnail_cache.h"

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QUrl>
#include <optional>
#include <zlib.h>

#ifndef VISTREL_PRODUCT_VERSION
#define VISTREL_PRODUCT_VERSION "0"
#endif

namespace vistrel::manager::thumbnails {

namespace {

constexpr char kSoftware[] = "Vistrel";

QString FolderFor(const QString& root, int edge)
{
    return root + (edge <= kNormalEdge ? QStringLiteral("/normal") : QStringLiteral("/large"));
}

QString FailFolder(const QString& root)
{
    return root + QStringLiteral("/fail/vistrel-") + QStringLiteral(VISTREL_PRODUCT_VERSION);
}

// The specification's folders are the user's alone.
bool MakeFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    for (QString at = folder; at.size() > 1; at = QFileInfo(at).path()) {
        QFile::setPermissions(at, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (QFileInfo(at).fileName() == QLatin1String("thumbnails"))
            break;
    }
    return true;
}

void AppendU32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

QByteArray TextChunk(const QByteArray& key, const QByteArray& value)
{
    QByteArray body = "tEXt" + key + '\0' + value;
    QByteArray chunk;
    AppendU32(chunk, static_cast<std::uint32_t>(body.size() - 4));
    chunk += body;
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size()));
    AppendU32(chunk, static_cast<std::uint32_t>(crc));
    return chunk;
}

// The PNG of `image` with the keys as plain tEXt chunks right after the
// header, where every reader of the cache looks (Qt writes its texts as
// iTXt, which not every program reads).
QByteArray PngWithKeys(const QImage& image, const SourceFile& file)
{
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image))
            return {};
    }
    constexpr qsizetype kSignatureAndHeader = 8 + 4 + 4 + 13 + 4;
    if (png.size() < kSignatureAndHeader || png.mid(12, 4) != "IHDR")
        return {};
    QByteArray keys = TextChunk("Thumb::URI", file.uri.toUtf8()) +
                      TextChunk("Thumb::MTime", QByteArray::number(static_cast<qlonglong>(file.mtime))) +
                      TextChunk("Thumb::Size", QByteArray::number(static_cast<qlonglong>(file.size))) +
                      TextChunk("Software", kSoftware);
    png.insert(kSignatureAndHeader, keys);
    return png;
}

bool WriteAtomically(const QString& folder, const QString& name, const QByteArray& bytes)
{
    if (bytes.isEmpty() || !MakeFolder(folder))
        return false;
    // QSaveFile writes a temporary file beside the target and renames it.
    QSaveFile out(folder + QLatin1Char('/') + name);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

std::uint32_t LoadU32(const char* at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(at[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(at[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(at[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(at[3]));
}

// A zlib stream of at most `limit` bytes inflated, or nothing.
std::optional<QByteArray> Inflate(const QByteArray& packed, qsizetype limit)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    QByteArray out(limit, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const auto produced = static_cast<qsizetype>(stream.total_out);
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    out.truncate(produced);
    return out;
}

// The text keys of a PNG, from its tEXt, zTXt and iTXt chunks before the
// image data. (Qt's own reader takes a key's "::" for its separator, so it
// cannot read "Thumb::URI".) A damaged file gives what came before the damage.
QHash<QString, QString> PngTextKeys(QFile& in)
{
    constexpr qsizetype kMostText = 64 * 1024; // no key of a thumbnail is near
    QHash<QString, QString> keys;
    if (in.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return keys;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const QByteArray head = in.read(8);
        if (head.size() != 8)
            break;
        const std::uint32_t length = LoadU32(head.constData());
        const QByteArray type = head.mid(4);
        if (type == "IDAT" || type == "IEND" || length > kMostText)
            break;
        const QByteArray body = in.read(length);
        if (body.size() != static_cast<qsizetype>(length) || in.read(4).size() != 4)
            break;
        const qsizetype nul = body.indexOf('\0');
        if (nul <= 0)
            continue;
        const QString key = QString::fromLatin1(body.left(nul));
        if (type == "tEXt") {
            keys.insert(key, QString::fromLatin1(body.mid(nul + 1)));
        } else if (type == "zTXt" && body.size() > nul + 2 && body[nul + 1] == 0) {
            if (auto text = Inflate(body.mid(nul + 2), kMostText))
                keys.insert(key, QString::fromLatin1(*text));
        } else if (type == "iTXt" && body.size() > nul + 3) {
            const bool packed = body[nul + 1] != 0;
            // Past the language tag and the translated key, each ended by a NUL.
            const qsizetype language = body.indexOf('\0', nul + 3);
            const qsizetype translated = language < 0 ? -1 : body.indexOf('\0', language + 1);
            if (translated < 0)
                continue;
            const QByteArray text = body.mid(translated + 1);
            if (!packed)
                keys.insert(key, QString::fromUtf8(text));
            else if (auto inflated = Inflate(text, kMostText))
                keys.insert(key, QString::fromUtf8(*inflated));
        }
    }
    return keys;
}

// The thumbnail at `file`, when its keys name this picture as it is now.
Lookup ReadValid(const QString& cacheFile, const SourceFile& file, bool failEntry)
{
    QFile in(cacheFile);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    // The keys come with the header; a stale thumbnail is not decoded.
    const QHash<QString, QString> keys = PngTextKeys(in);
    bool mtimeRead = false;
    const std::int64_t mtime = keys.value(QStringLiteral("Thumb::MTime")).toLongLong(&mtimeRead);
    if (keys.value(QStringLiteral("Thumb::URI")) != file.uri || !mtimeRead || mtime != file.mtime)
        return {};
    const QString size = keys.value(QStringLiteral("Thumb::Size"));
    if (!size.isEmpty() && size.toLongLong() != file.size)
        return {};
    if (failEntry)
        return {Found::Failed, {}};
    in.seek(0);
    QImageReader reader(&in, "png");
    if (!reader.canRead() || reader.size().width() > kLargeEdge || reader.size().height() > kLargeEdge)
        return {};
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return {Found::Thumbnail, std::move(image)};
}

} // namespace

QString CacheRoot()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/thumbnails");
}

QString FileUri(const QString& absolutePath)
{
    // As GLib's g_filename_to_uri writes it, which most file managers use:
    // Qt leaves ";", "[" and "]" as they are, GLib escapes them.
    QString uri = QString::fromLatin1(QUrl::fromLocalFile(absolutePath).toEncoded(QUrl::FullyEncoded));
    uri.replace(QLatin1Char(';'), QStringLiteral("%3B"));
    uri.replace(QLatin1Char('['), QStringLiteral("%5B"));
    uri.replace(QLatin1Char(']'), QStringLiteral("%5D"));
    return uri;
}

QString CacheName(const QString& uri)
{
    return QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

SourceFile Describe(const QString& path)
{
    SourceFile file;
    QFileInfo info(path);
    file.path = info.absoluteFilePath();
    file.uri = FileUri(file.path);
    file.exists = info.isFile();
    if (file.exists) {
        file.mtime = info.lastModified().toSecsSinceEpoch();
        file.size = info.size();
    }
    return file;
}

Lookup Find(const QString& root, const SourceFile& file, int edge)
{
    if (!file.exists)
        return {};
    const QString name = CacheName(file.uri);
    const int first = edge <= kNormalEdge ? kNormalEdge : kLargeEdge;
    const int second = first == kNormalEdge ? kLargeEdge : kNormalEdge;
    for (int size : {first, second}) {
        Lookup found = ReadValid(FolderFor(root, size) + QLatin1Char('/') + name, file, false);
        if (found.found == Found::Thumbnail)
            return found;
    }
    return ReadValid(FailFolder(root) + QLatin1Char('/') + name, file, true);
}

bool Store(const QString& root, const SourceFile& file, const QImage& thumbnail)
{
    if (thumbnail.isNull() || !file.exists)
        return false;
    const int edge = std::max(thumbnail.width(), thumbnail.height());
    if (edge > kLargeEdge)
        return false;
    return WriteAtomically(FolderFor(root, edge), CacheName(file.uri), PngWithKeys(thumbnail, file));
}

bool StoreFailure(const QString& root, const SourceFile& file)
{
    if (!file.exists)
        return false;
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    return WriteAtomically(FailFolder(root), CacheName(file.uri), PngWithKeys(mark, file));
}

QImage FitInto(const QImage& picture, int edge)
{
    if (picture.isNull() || (picture.width() <= edge && picture.height() <= edge))
        return picture;
    return picture.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace vistrel::manager::thumbnails
