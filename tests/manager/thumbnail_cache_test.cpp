// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's thumbnail cache, in a private XDG_CACHE_HOME: a thumbnail
// placed there is used without a decode, a stale one is replaced, a new one
// is written with the keys other programs check, an unreadable picture gets
// a fail entry; and the workers that do it, never more than the cores.
#include "bitmap_files.h"
#include "environment.h"
#include "list/thumbnail_cache.h"
#include "list/thumbnail_loader.h"
#include "worker_fixture.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <filesystem>
#include <map>
#include <thread>
#include <zlib.h>

using namespace vistrel;
using namespace vistrel::manager;
using namespace vistrel::manager::test;
namespace th = vistrel::manager::thumbnails;

namespace {

// The tEXt chunks of a PNG file, read by hand: what a program that reads
// only those would find.
std::map<std::string, std::string> TextChunks(const QString& file)
{
    std::map<std::string, std::string> keys;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return keys;
    const QByteArray png = in.readAll();
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const auto length = static_cast<qsizetype>(
            static_cast<std::uint8_t>(png[at]) << 24 | static_cast<std::uint8_t>(png[at + 1]) << 16 |
            static_cast<std::uint8_t>(png[at + 2]) << 8 | static_cast<std::uint8_t>(png[at + 3]));
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "tEXt") {
            const QByteArray body = png.mid(at + 8, length);
            const qsizetype nul = body.indexOf('\0');
            keys[body.left(nul).toStdString()] = body.mid(nul + 1).toStdString();
        }
        at += 12 + length;
    }
    return keys;
}

// A PNG as another program writes it: the picture, then its keys in tEXt
// chunks (made here with zlib's CRC, apart from the code under test).
void WritePng(const QString& file, const QImage& image, const std::map<std::string, std::string>& keys)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "png"));
    QByteArray chunks;
    for (const auto& [key, value] : keys) {
        QByteArray body = "tEXt" + QByteArray::fromStdString(key) + '\0' + QByteArray::fromStdString(value);
        auto put = [&](std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                chunks.append(static_cast<char>(v >> shift));
        };
        put(static_cast<std::uint32_t>(body.size() - 4));
        chunks += body;
        put(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size()))));
    }
    png.insert(33, chunks); // after the signature and IHDR
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(png);
}

class ThumbnailCacheTest : public WorkerTest {
protected:
    ThumbnailCacheTest() { root = th::CacheRoot(); }

    // A bitmap of one colour at `name`, and what the cache knows of it.
    th::SourceFile Picture(const std::string& name, std::uint32_t rgb, int width = 300, int height = 200)
    {
        vistrel::test::WriteFile(File(name), SolidBitmap(width, height, rgb));
        return th::Describe(QString::fromStdString(File(name)));
    }
    QString NormalFile(const th::SourceFile& file) const { return root + "/normal/" + th::CacheName(file.uri); }

    // Asks the loader until the thumbnail is in.
    const QImage* WaitFor(ThumbnailLoader& loader, const th::SourceFile& file, bool* failed = nullptr)
    {
        const QImage* image = nullptr;
        bool gaveUp = false;
        Eventually([&] {
            image = loader.Thumbnail(file.path, &gaveUp);
            return image || gaveUp;
        });
        if (failed)
            *failed = gaveUp;
        return image;
    }

    vistrel::test::ScopedEnvironment cacheHome{"XDG_CACHE_HOME", home.File("cache")};
    QString root;
};

} // namespace

TEST_F(ThumbnailCacheTest, NamesFollowTheSpecification)
{
    EXPECT_EQ(root, QString::fromStdString(home.File("cache")) + "/thumbnails");
    EXPECT_EQ(th::FileUri("/home/jo/My Pictures/été [1].jpg"),
              "file:///home/jo/My%20Pictures/%C3%A9t%C3%A9%20%5B1%5D.jpg");
    EXPECT_EQ(th::FileUri("/p/a+b,c;d=e@f!$&'()*~_-#?%.png"), "file:///p/a+b,c%3Bd=e@f!$&'()*~_-%23%3F%25.png")
        << "escaped as GLib's file managers escape them";
    // The MD5 of the URI's bytes, as every file manager names it.
    EXPECT_EQ(th::CacheName("file:///home/jens/photos/me.png"), "c6ee772d9e49320e97ec29a7eb5b1697.png");
}

TEST_F(ThumbnailCacheTest, AThumbnailPlacedInTheCacheIsUsedWithoutADecode)
{
    // The "picture" is no bitmap at all: a decode could only fail.
    vistrel::test::WriteFile(File("seen.bmp"), "not a bitmap");
    const th::SourceFile file = th::Describe(QString::fromStdString(File("seen.bmp")));
    QImage placed(128, 96, QImage::Format_RGB32);
    placed.fill(QColor(10, 200, 30));
    WritePng(NormalFile(file), placed,
             {{"Thumb::URI", file.uri.toStdString()}, {"Thumb::MTime", std::to_string(file.mtime)}});

    ThumbnailLoader loader(registry, root);
    const QImage* image = WaitFor(loader, file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(128, 96));
    EXPECT_EQ(image->pixelColor(60, 40), QColor(10, 200, 30));
    EXPECT_EQ(loader.Decodes(), 0);
    EXPECT_EQ(loader.CacheHits(), 1);
}

TEST_F(ThumbnailCacheTest, AStaleThumbnailIsReplacedAndANewOneCarriesTheKeys)
{
    const th::SourceFile file = Picture("red.bmp", 0xFF0000);
    QImage stale(64, 64, QImage::Format_RGB32);
    stale.fill(Qt::blue);
    // The picture changed since this was made.
    WritePng(NormalFile(file), stale,
             {{"Thumb::URI", file.uri.toStdString()}, {"Thumb::MTime", std::to_string(file.mtime - 3600)}});

    ThumbnailLoader loader(registry, root);
    const QImage* image = WaitFor(loader, file);
    ASSERT_TRUE(image);
    EXPECT_EQ(loader.Decodes(), 1);
    EXPECT_EQ(image->size(), QSize(128, 85)) << "300 x 200 fitted into 128";
    EXPECT_EQ(image->pixelColor(64, 40), QColor(255, 0, 0));

    // What another program finds: a PNG of at most 128 pixels whose tEXt
    // keys name the picture as it is, the user's alone, nothing left beside.
    const std::map<std::string, std::string> keys = TextChunks(NormalFile(file));
    EXPECT_EQ(keys.at("Thumb::URI"), file.uri.toStdString());
    EXPECT_EQ(keys.at("Thumb::MTime"), std::to_string(file.mtime));
    EXPECT_EQ(keys.at("Thumb::Size"), std::to_string(file.size));
    EXPECT_EQ(keys.at("Software"), "Vistrel");
    QImageReader written(NormalFile(file), "png");
    EXPECT_EQ(written.size(), QSize(128, 85));
    EXPECT_EQ(QFileInfo(NormalFile(file)).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
    EXPECT_EQ(QFileInfo(root + "/normal").permissions() & (QFile::ReadOther | QFile::ExeOther), QFile::Permissions());
    EXPECT_EQ(QDir(root + "/normal").entryList(QDir::Files).size(), 1) << "no temporary file left";

    // Asked again by another loader (a new start): from the cache.
    ThumbnailLoader again(registry, root);
    ASSERT_TRUE(WaitFor(again, file));
    EXPECT_EQ(again.Decodes(), 0);
}

TEST_F(ThumbnailCacheTest, AnUnreadablePictureGetsAFailEntryAndIsNotReadAgain)
{
    vistrel::test::WriteFile(File("broken.bmp"), "BM and nothing more");
    const th::SourceFile file = th::Describe(QString::fromStdString(File("broken.bmp")));
    {
        ThumbnailLoader loader(registry, root);
        bool failed = false;
        EXPECT_EQ(WaitFor(loader, file, &failed), nullptr);
        EXPECT_TRUE(failed);
        EXPECT_EQ(loader.Decodes(), 1);
    }
    const QString fail = root + "/fail/vistrel-" + VISTREL_PRODUCT_VERSION + "/" + th::CacheName(file.uri);
    ASSERT_TRUE(QFileInfo::exists(fail));
    EXPECT_EQ(TextChunks(fail).at("Thumb::URI"), file.uri.toStdString());
    EXPECT_EQ(TextChunks(fail).at("Thumb::MTime"), std::to_string(file.mtime));

    ThumbnailLoader loader(registry, root);
    bool failed = false;
    EXPECT_EQ(WaitFor(loader, file, &failed), nullptr);
    EXPECT_TRUE(failed);
    EXPECT_EQ(loader.Decodes(), 0) << "the fail entry is believed";
    EXPECT_EQ(th::Find(root, file, 128).found, th::Found::Failed);
}

TEST_F(ThumbnailCacheTest, NoMoreWorkersThanCoresAndTheMemoryIsBounded)
{
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    EXPECT_LE(ThumbnailLoader(registry, root).Workers(), cores);
    EXPECT_LE(ThumbnailLoader(registry, root, 128, 64).Workers(), cores);
    EXPECT_GE(ThumbnailLoader(registry, root, 128, 1).Workers(), 1);

    ThumbnailLoader loader(registry, root);
    // Room for about two thumbnails of 128 x 85 pixels (43,520 bytes each).
    loader.SetMemoryBudget(100'000);
    std::vector<th::SourceFile> files;
    for (int i = 0; i < 6; ++i)
        files.push_back(Picture("p" + std::to_string(i) + ".bmp", 0x101010u * static_cast<std::uint32_t>(i + 1)));
    for (const th::SourceFile& file : files)
        ASSERT_TRUE(WaitFor(loader, file));
    EXPECT_LE(loader.MemoryUsed(), 100'000);
    EXPECT_TRUE(loader.Thumbnail(files.back().path)) << "the newest stays";
    EXPECT_EQ(loader.Decodes(), 6);
    // The oldest was dropped from memory, and comes back from the disk cache.
    EXPECT_EQ(loader.Thumbnail(files.front().path), nullptr);
    ASSERT_TRUE(WaitFor(loader, files.front()));
    EXPECT_EQ(loader.Decodes(), 6);
    EXPECT_EQ(loader.CacheHits(), 1);
}
