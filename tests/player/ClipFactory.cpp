#include "ClipFactory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ClipFactory {

constexpr int kBits = 10;

bool ffmpeg(const QStringList& arguments, QString* error)
{
    const bool ok =
        support::runFfmpeg(QStringList{"-nostdin", "-loglevel", "error", "-y"} + arguments);
    if (!ok && error)
        *error = QStringLiteral("ffmpeg failed: ") + arguments.join(QLatin1Char(' '));
    return ok;
}

bool make(const QString& path, const Clip& clip, QString* error)
{
    // The top half's columns show the frame number's bits, the bottom half stays grey.
    const QString gop = QString::number(clip.keyFrameInterval);
    return ffmpeg(
        {"-f", "lavfi", "-i",
         QString::asprintf("color=c=gray:size=%dx%d:rate=%d:duration=%g", clip.width, clip.height,
                           clip.fps, clip.seconds),
         "-vf",
         QString::asprintf("geq=lum='if(lt(Y,H/2),if(bitand(N+%d,pow(2,floor(X*%d/W))),235,16),"
                           "128)':cb=%d:cr=%d,format=yuv420p",
                           clip.firstFrameNumber, kBits, clip.cb, clip.cr),
         "-c:v", "libx264", "-preset", "veryfast", "-g", gop, "-keyint_min", gop, "-sc_threshold",
         "0", "-f", "mp4", path},
        error);
}

bool makeBroken(const QString& path)
{
    // An ftyp box, then a moov header promising 4 KiB of boxes that are only noise.
    QByteArray bytes("\0\0\0\x18"
                     "ftypisom\0\0\0\0isomiso2\0\0\x10\0moov",
                     32);
    for (int i = 0; i < 4096; ++i)
        bytes.append(static_cast<char>((i * 7919) & 0xff));
    return support::writeFile(path, bytes);
}

QString tripDir()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        for (int i = 0; i < 3; ++i)
            if (!make(dir.filePath(QStringLiteral("clip%1.mp4").arg(i)),
                      {320, 240, 25, 3.0, 75 * i, 25}))
                return false;
        return true;
    }();
    EXPECT_TRUE(made) << "ffmpeg could not make the trip's clips";
    return made ? dir.path() : QString();
}

QString tripClip(int index)
{
    return QDir(tripDir()).filePath(QStringLiteral("clip%1.mp4").arg(index));
}

std::optional<int> frameNumber(const QImage& image)
{
    if (image.isNull() || image.width() < kBits || image.height() < 4)
        return std::nullopt;
    // A picture shown upside down has no grey in its bottom half.
    const int grey = qGray(image.pixel(image.width() / 2, image.height() * 3 / 4));
    if (grey < 100 || grey > 156)
        return std::nullopt;
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int level =
            qGray(image.pixel((2 * bit + 1) * image.width() / (2 * kBits), image.height() / 4));
        if (level > 60 && level <= 190)
            return std::nullopt; // neither white nor black: not one of our frames
        number |= int(level > 190) << bit;
    }
    return number;
}

} // namespace ClipFactory
