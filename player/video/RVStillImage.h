#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Still pictures of the video: scaling into a maximum size and JPEG encoding.
class RVStillImage final
{
public:
    // The image scaled down (smoothly, keeping its aspect ratio) to fit into `maximumSize`;
    // smaller images and an empty maximum size leave it as it is.
    static QImage scaledToFit(const QImage& image, QSize maximumSize);
    // JPEG bytes at the highest quality (least compression); empty for a null image.
    static QByteArray jpegData(const QImage& image);
    // Writes the JPEG to `path` atomically (the old file stays until the new one is complete).
    static bool saveJpeg(const QImage& image, const QString& path, QString* error = nullptr);
};
