#include "clip/RVClipTileCache.h"

#include "core/RVMapTiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QNetworkDiskCache>

RVClipTileCache::RVClipTileCache(const RVClipMapTiles& tiles) : m_template(tiles.tileTemplate)
{
    // QNetworkDiskCache makes its folders when given one: only an existing cache is opened.
    if (tiles.cacheDirectory.isEmpty() || m_template.isEmpty() ||
        !QDir(tiles.cacheDirectory).exists())
        return;
    m_cache = std::make_unique<QNetworkDiskCache>();
    m_cache->setCacheDirectory(tiles.cacheDirectory);
}

RVClipTileCache::~RVClipTileCache() = default;

QImage RVClipTileCache::tile(int z, qint64 x, qint64 y) const
{
    if (!m_cache)
        return {};
    const std::optional<QUrl> address = RVMapTiles::tileAddress(m_template, z, x, y);
    if (!address)
        return {};
    const std::unique_ptr<QIODevice> data(m_cache->data(*address));
    if (!data || data->size() > kMaxTileBytes)
        return {};
    QBuffer bytes;
    bytes.setData(data->readAll());
    bytes.open(QIODevice::ReadOnly);
    QImageReader reader(&bytes);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() != size.height() || size.width() > kMaxTileSide)
        return {};
    return reader.read();
}
