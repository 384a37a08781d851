#include "ClipFactory.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace ClipFactory {

constexpr int kBits = 10;

bool make(const QString& path, const Clip& clip)
{
    const QString source = QString::asprintf("color=c=gray:size=%dx%d:rate=%d:duration=%g",
                                             clip.width, clip.height, clip.fps, clip.seconds);
    const QString gop = QString::number(clip.keyFrameInterval);
    // The top half's columns show the frame number's bits, the bottom half stays grey.
    const QString picture = QString::asprintf(
        "geq=lum='if(lt(Y,H/2),if(bitand(N+%d,pow(2,floor(X*%d/W))),235,16),128)':cb=%d:cr=%d,"
        "format=yuv420p",
        clip.firstFrameNumber, kBits, clip.cb, clip.cr);
    const QStringList arguments{"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i"};
    return support::runFfmpeg(arguments + QStringList{source, "-vf", picture, "-c:v", "libx264",
                                                      "-preset", "veryfast", "-g", gop,
                                                      "-keyint_min", gop, "-sc_threshold", "0",
                                                      "-f", "mp4", path});
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

QString tripDir(const Clip& look)
{
    static std::map<std::tuple<int, int, int>, QTemporaryDir> made;
    const QTemporaryDir& dir = made[{look.firstFrameNumber, look.cb, look.cr}];
    bool ok = true;
    for (int i = 0; i < 3 && ok; ++i) {
        const QString path = dir.filePath(QStringLiteral("clip%1.mp4").arg(i));
        Clip clip = look;
        clip.firstFrameNumber += 75 * i;
        ok = QFileInfo::exists(path) || make(path, clip);
    }
    EXPECT_TRUE(ok) << "ffmpeg could not make the trip's clips";
    return ok ? dir.path() : QString();
}

QString tripClip(int index, const Clip& look)
{
    return QDir(tripDir(look)).filePath(QStringLiteral("clip%1.mp4").arg(index));
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
