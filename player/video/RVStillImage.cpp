#include "player/video/RVStillImage.h"

#include "core/RVAtomicFile.h"

#include <QBuffer>
#include <QImageWriter>

QImage RVStillImage::scaledToFit(const QImage& image, QSize maximumSize)
{
    if (image.isNull() || maximumSize.isEmpty())
        return image;
    if (image.width() <= maximumSize.width() && image.height() <= maximumSize.height())
        return image;
    return image.scaled(maximumSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QByteArray RVStillImage::jpegData(const QImage& image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    if (!writer.write(image))
        return {};
    return bytes;
}

bool RVStillImage::saveJpeg(const QImage& image, const QString& path, QString* error)
{
    const QByteArray bytes = jpegData(image);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("no picture to save");
        return false;
    }
    // Aside, checked, synced and renamed: a full disk leaves no truncated picture, and a link
    // at the chosen name is replaced rather than written through.
    return RVAtomicFile::writeAll(path, bytes, error);
}
