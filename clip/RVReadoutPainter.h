#pragma once

#include "clip/RVClipRequest.h"

#include <QImage>
#include <QPolygonF>
#include <QString>

// Paints the read-outs of one moment of the trip into a transparent strip that the clip's
// filter graph lays over the bottom of the picture: date, clock time and zone, speed,
// position, heading and acceleration as white text with a dark outline (readable on snow and
// at night), and a small map of the clip's route with the position on the right. The map is
// drawn in the web map's projection (Web Mercator): over the map page's cached tiles at the
// closest zoom that fits the route, where the cache has some, else on a plain background.
// Sizes follow the output's height, so a 720p clip shows the same layout as a 1080p one.
class RVReadoutPainter final
{
public:
    // outputWidth x outputHeight: the clip's picture. The series is not copied; it must
    // outlive the painter. fromSeconds..toSeconds: the clip's range (the map shows its route);
    // tiles: where the map finds cached tiles.
    RVReadoutPainter(const RVClipSeries& series, unsigned readouts, int outputWidth,
                     int outputHeight, double fromSeconds, double toSeconds,
                     const RVClipMapTiles& tiles = {});

    // The closest zoom the map is drawn at (streets and their names), and how many zooms
    // further out it looks for cached tiles when the fitting zoom has none.
    static constexpr int kMaxMapZoom = 17;
    static constexpr int kTileZoomsOut = 3;

    // The strip's size (even numbers, for 4:2:0 pictures); empty when nothing is drawn.
    QSize size() const { return m_size; }
    // The read-outs at trip second `tripSeconds` (straight, not premultiplied, RGBA). The image
    // is repainted only when what it shows changes; *changed says whether it was.
    const QImage& paint(double tripSeconds, bool* changed = nullptr);

    // The texts shown at `tripSeconds`, one per read-out chosen, in drawing order.
    QStringList texts(double tripSeconds) const;

private:
    const RVClipSample* sampleAt(double tripSeconds) const;
    QPointF mapPosition(const RVClipSample& sample) const;
    void buildRoute(double fromSeconds, double toSeconds, const RVClipMapTiles& tiles);
    bool drawTiles(const RVClipMapTiles& tiles, double routeExtent);

    const RVClipSeries& m_series;
    unsigned m_readouts;
    QSize m_size;
    QRectF m_mapRect;  // in the strip
    QPolygonF m_route; // in the strip's coordinates
    // The map's centre in the world's pixels at zoom 0 (a 256-pixel square), and pixels of
    // the map per such pixel.
    QPointF m_centre;
    double m_scale = 0;
    QImage m_tiles; // the map square's cached tiles; null when none are drawn
    QImage m_image;
    QString m_key; // what m_image shows
};
