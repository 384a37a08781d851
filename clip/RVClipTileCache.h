#pragma once

#include "clip/RVClipRequest.h"

#include <QImage>

#include <memory>

class QNetworkDiskCache;

// The map page's tile cache, read only: the tiles it keeps, looked up by the address the page
// fetched them from. Nothing is fetched and nothing is written; a cache folder that is not
// there simply has no tiles.
class RVClipTileCache final
{
public:
    // The largest tile accepted, in bytes and in pixels a side (tiles are 256 or 512).
    static constexpr qint64 kMaxTileBytes = 4 * 1024 * 1024;
    static constexpr int kMaxTileSide = 1024;

    explicit RVClipTileCache(const RVClipMapTiles& tiles);
    ~RVClipTileCache();
    RVClipTileCache(const RVClipTileCache&) = delete;
    RVClipTileCache& operator=(const RVClipTileCache&) = delete;

    // The cached tile z/x/y as a square picture, or a null image when it is not cached or not
    // a picture.
    QImage tile(int z, qint64 x, qint64 y) const;

private:
    QString m_template;
    std::unique_ptr<QNetworkDiskCache> m_cache;
};
