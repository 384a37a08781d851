// Any bytes as a tile in the map page's cache, read back for a clip's map: the tile reader
// gives a picture or none, and never crashes, hangs or takes more than a tile's memory.
#include "clip/RVClipTileCache.h"
#include "fuzz/FuzzInput.h"

#include <QGuiApplication>
#include <QNetworkDiskCache>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir* cacheDir = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_clip_map_tile";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
        return new QTemporaryDir;
    }();
    const QString tileTemplate = QStringLiteral("https://tiles.example.invalid/{z}/{x}/{y}.png");
    const QUrl address(QStringLiteral("https://tiles.example.invalid/3/4/5.png"));
    {
        QNetworkDiskCache cache;
        cache.setCacheDirectory(cacheDir->path());
        QNetworkCacheMetaData meta;
        meta.setUrl(address);
        meta.setSaveToDisk(true);
        meta.setAttributes({{QNetworkRequest::HttpStatusCodeAttribute, 200}});
        meta.setRawHeaders({{"Content-Type", "image/png"}});
        QIODevice* body = cache.prepare(meta);
        if (!body)
            return 0;
        body->write(fuzzBytes(data, size));
        cache.insert(body);
    }
    const RVClipTileCache tiles({cacheDir->path(), tileTemplate});
    const QImage tile = tiles.tile(3, 4, 5);
    if (!tile.isNull() &&
        (tile.width() != tile.height() || tile.width() > RVClipTileCache::kMaxTileSide))
        std::abort();
    return 0;
}
