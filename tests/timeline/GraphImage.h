#pragma once

// Helpers for tests that draw into an image and look at the pixels.
#include "timeline/RVUIUtil.h"

#include <QImage>
#include <QPainter>
#include <QRect>

inline QImage blankImage(int width, int height, QColor background)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    return image;
}

inline bool isBlack(QRgb p)
{
    return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60;
}
inline bool isRed(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}
inline bool isLightGrey(QRgb p)
{
    return qRed(p) == 170 && qGreen(p) == 170 && qBlue(p) == 170;
}

// Whether any pixel of `area` (clipped to the image) passes `test`.
template <typename Test>
bool anyPixel(const QImage& image, QRect area, Test test)
{
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixel(x, y)))
                return true;
    return false;
}

// Whether the pixels of `area` are the same in both images.
inline bool sameArea(const QImage& a, const QImage& b, QRect area)
{
    area = area.intersected(a.rect()).intersected(b.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// `text` as writeText draws it on a plain background, to compare a label with.
inline QImage textImage(QSize size, QColor background, const QString& text, double centreX,
                        double bottomY, const QRectF& frame, QColor colour = Qt::black)
{
    QImage image = blankImage(size.width(), size.height(), background);
    QPainter painter(&image);
    RVUIUtil::writeText(painter, text, 8, centreX, bottomY, frame, colour);
    return image;
}
