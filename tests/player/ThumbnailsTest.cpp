// Thumbnails of a generated clip whose frames carry their numbers (ClipFactory), so a
// thumbnail tells exactly which frame it shows.

#include "ClipFactory.h"

#include "library/RVAVUtil.h"
#include "player/RVThumbnailsProvider.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using ClipFactory::frameNumber;

namespace {

// A 10-second clip with a key frame every 2 s, and damaged copies of it, made once.
struct Clips
{
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    bool ok = ClipFactory::make(path("long.mp4"), {320, 240, 25, 10.0, 0, 50}) &&
              ClipFactory::ffmpeg({"-i", path("long.mp4"), "-c", "copy", "-movflags", "+faststart",
                                   path("front.mp4")}) &&
              damage();
    bool damage() const
    {
        // ffmpeg writes the index after the media data: a recording cut short has none. With
        // the index in front (as some cameras write it) what was written before the cut shows.
        const QByteArray whole = support::readFile(path("long.mp4"));
        QByteArray front = support::readFile(path("front.mp4"));
        bool written = support::writeFile(path("truncated.mp4"), whole.left(whole.size() / 3)) &&
                       support::writeFile(path("cut.mp4"), front.left(front.size() / 2));
        quint32 state = 12345; // noise in the media data from a third of the way on
        for (qsizetype i = front.size() / 3; i < front.size(); i += 409)
            front[i] = char((state = state * 1664525u + 1013904223u) >> 24);
        return written && support::writeFile(path("damaged.mp4"), front);
    }
};

const Clips& clips()
{
    static const Clips made;
    return made;
}

// The frame a thumbnail of the file shows: -1 for none, -2 for one without a number.
int frameAt(const char* name, double seconds)
{
    const std::optional<RVRgbImage> picture =
        RVAVUtil::getThumbnailOfFile(clips().path(name), seconds);
    const QImage image = picture ? RVThumbnailsProvider::imageFromRgb(*picture) : QImage();
    EXPECT_TRUE(image.isNull() || image.size() == QSize(160, 90));
    return image.isNull() ? -1 : frameNumber(image).value_or(-2);
}

} // namespace

TEST(Thumbnails, ShowTheFrameOnScreenAtTheWholeSecondAndSurviveDamage)
{
    ASSERT_TRUE(clips().ok);
    // 7.9 s is taken at 7 s, decoded from the key frame at 6 s; before the start the first
    // frame, at or past the end the last one.
    std::vector<int> frames;
    for (double seconds : {7.9, 0.0, 9.99, -3.0, 10.0, 1e12, std::nan("")})
        frames.push_back(frameAt("long.mp4", seconds));
    EXPECT_EQ(frames, std::vector({175, 0, 225, 0, 249, 249, 0}));
    EXPECT_EQ(std::vector({frameAt("missing.mp4", 1), frameAt("truncated.mp4", 1),
                           frameAt("cut.mp4", 1), frameAt("cut.mp4", 9)}),
              std::vector({-1, -1, 25, -1}));
    // The decoder conceals what it can: a damaged packet does not cost the whole thumbnail.
    int shown = 0;
    for (int second = 0; second < 10; ++second)
        shown += frameAt("damaged.mp4", second) != -1;
    EXPECT_GE(shown, 8);
}
