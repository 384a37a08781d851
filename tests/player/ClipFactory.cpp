#include "ClipFactory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

namespace ClipFactory {

namespace {
constexpr int kBits = 10;
}

bool make(const QString& path, const Clip& clip, QString* error)
{
    const QString source = QStringLiteral("color=c=gray:size=%1x%2:rate=%3:duration=%4")
                               .arg(clip.width)
                               .arg(clip.height)
                               .arg(clip.fps)
                               .arg(clip.seconds);
    const QString pattern =
        QStringLiteral("geq=lum='if(lt(Y,H/2),if(bitand(N+%1,pow(2,floor(X*%2/W))),235,16),128)'"
                       ":cb=128:cr=128,format=yuv420p")
            .arg(clip.firstFrameNumber)
            .arg(kBits);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-nostdin",
                                            "-loglevel",
                                            "error",
                                            "-y",
                                            "-f",
                                            "lavfi",
                                            "-i",
                                            source,
                                            "-vf",
                                            pattern,
                                            "-c:v",
                                            "libx264",
                                            "-preset",
                                            "veryfast",
                                            "-g",
                                            QString::number(clip.keyFrameInterval),
                                            "-keyint_min",
                                            QString::number(clip.keyFrameInterval),
                                            "-sc_threshold",
                                            "0",
                                            "-f",
                                            "mp4",
                                            path});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(ffmpeg.readAll());
        return false;
    }
    return true;
}

std::optional<int> frameNumber(const QImage& image)
{
    if (image.isNull() || image.width() < kBits || image.height() < 4)
        return std::nullopt;
    // The picture may be letter-boxed inside a widget: find the video's rows by the grey half.
    const int bitsRow = image.height() / 4;
    const int greyRow = image.height() * 3 / 4;
    const int grey = qGray(image.pixel(image.width() / 2, greyRow));
    if (grey < 100 || grey > 156)
        return std::nullopt;
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x = (2 * bit + 1) * image.width() / (2 * kBits);
        const int level = qGray(image.pixel(x, bitsRow));
        if (level > 190)
            number |= 1 << bit;
        else if (level > 60)
            return std::nullopt; // neither white nor black: not one of our frames
    }
    return number;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace ClipFactory
