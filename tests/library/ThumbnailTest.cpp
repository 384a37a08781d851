// Thumbnails of a generated clip whose frames carry their numbers, so a thumbnail tells exactly
// which frame it shows; and of recordings cut short or damaged as a pulled card leaves them.
#include "library/RVAVUtil.h"
#include "support/Support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBits = 10;

// A 10 s clip at 25 fps with a key frame every 2 s. The top half of each frame is ten columns,
// white for a set bit of the frame's number (least significant on the left); the bottom half is
// grey.
bool makeNumberedClip(const QString& path)
{
    const QString numbers =
        QStringLiteral("geq=lum='if(lt(Y,H/2),if(bitand(N,pow(2,floor(X*%1/W))),235,16),128)'"
                       ":cb=128:cr=128,format=yuv420p")
            .arg(kBits);
    return support::runFfmpeg({"-nostdin", "-f", "lavfi", "-i",
                               "color=c=gray:size=320x240:rate=25:duration=10", "-vf", numbers,
                               "-c:v", "libx264", "-preset", "veryfast", "-g", "50", "-keyint_min",
                               "50", "-sc_threshold", "0", path});
}

// The frame a thumbnail of the file shows: -1 for none, -2 for one without a number.
int frameAt(const QTemporaryDir& dir, const char* name, double seconds)
{
    const std::optional<RVRgbImage> image =
        RVAVUtil::getThumbnailOfFile(dir.filePath(QLatin1String(name)), seconds);
    if (!image)
        return -1;
    EXPECT_TRUE(image->width == 160 && image->height == 90 && image->rgb.size() == 160u * 90 * 3);
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x = (2 * bit + 1) * image->width / (2 * kBits);
        const int level = image->rgb[std::size_t(image->height / 4 * image->width + x) * 3 + 1];
        if (level > 190)
            number |= 1 << bit;
        else if (level > 60)
            return -2;
    }
    return number;
}

} // namespace

TEST(Thumbnail, ShowsTheFrameOnScreenAtTheWholeSecondAndSurvivesDamage)
{
    QTemporaryDir dir;
    const QString clip = dir.filePath("clip.mp4"), front = dir.filePath("front.mp4");
    ASSERT_TRUE(makeNumberedClip(clip));
    ASSERT_TRUE(support::runFfmpeg(
        {"-nostdin", "-i", clip, "-c", "copy", "-movflags", "+faststart", front}));
    ASSERT_TRUE(support::runFfmpeg({"-nostdin", "-f", "lavfi", "-i", "sine=duration=1", "-c:a",
                                    "aac", dir.filePath("sound.mp4")}));
    // ffmpeg writes the index after the media data: a recording cut short has none. With the
    // index in front (as some cameras write it) what was written before the cut shows.
    const QByteArray whole = support::readFile(clip);
    QByteArray damaged = support::readFile(front);
    support::writeFile(dir.filePath("truncated.mp4"), whole.left(whole.size() / 3));
    support::writeFile(dir.filePath("cut.mp4"), damaged.left(damaged.size() / 2));
    quint32 state = 12345; // noise in the media data from a third of the way on
    for (qsizetype i = damaged.size() / 3; i < damaged.size(); i += 409)
        damaged[i] = char((state = state * 1664525u + 1013904223u) >> 24);
    support::writeFile(dir.filePath("damaged.mp4"), damaged);

    // 7.9 s is taken at 7 s, decoded from the key frame at 6 s; before the start the first
    // frame, at or past the end the last one.
    std::vector<int> frames;
    for (double seconds : {7.9, 0.0, 9.99, -3.0, 10.0, 1e12, std::nan("")})
        frames.push_back(frameAt(dir, "clip.mp4", seconds));
    EXPECT_EQ(frames, std::vector({175, 0, 225, 0, 249, 249, 0}));
    EXPECT_EQ(std::vector({frameAt(dir, "missing.mp4", 1), frameAt(dir, "sound.mp4", 0),
                           frameAt(dir, "truncated.mp4", 1), frameAt(dir, "cut.mp4", 1),
                           frameAt(dir, "cut.mp4", 9)}),
              std::vector({-1, -1, -1, 25, -1}));
    // A transport stream starts its clock late (1.4 s), and this one lists its sound first.
    ASSERT_TRUE(support::runFfmpeg({"-nostdin", "-i", dir.filePath("sound.mp4"), "-i", clip, "-map",
                                    "0:a", "-map", "1:v", "-c", "copy", dir.filePath("late.ts")}));
    // keyend.ts is cut short just after a key frame: the key frame past 7 s is its last frame.
    ASSERT_TRUE(support::runFfmpeg({"-nostdin", "-i", clip, "-c", "copy", dir.filePath("clip.mkv"),
                                    "-frames:v", "201", "-c", "copy", dir.filePath("keyend.ts")}));
    EXPECT_EQ(std::vector({frameAt(dir, "late.ts", 7.9), frameAt(dir, "late.ts", 0),
                           frameAt(dir, "late.ts", 9.99), frameAt(dir, "late.ts", 4),
                           frameAt(dir, "clip.mkv", 0), frameAt(dir, "clip.mkv", 7.9),
                           frameAt(dir, "keyend.ts", 7), frameAt(dir, "keyend.ts", 8)}),
              std::vector({175, 0, 225, 100, 0, 175, 175, 200}));
    // The decoder conceals what it can: a damaged packet does not cost the whole thumbnail.
    int shown = 0;
    for (int second = 0; second < 10; ++second)
        shown += frameAt(dir, "damaged.mp4", second) != -1;
    EXPECT_GE(shown, 8);
}

// The playable length: from the movie header where there is one, else from the container as
// FFmpeg reads it (a transport stream states none and is measured from its packets).
TEST(MediaLength, FromTheHeaderOrMeasuredFromThePackets)
{
    QTemporaryDir dir;
    for (const char* name : {"clip.mp4", "clip.ts", "clip.mkv"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(support::runFfmpeg(
            {"-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t", "3", "-c:v", "mpeg4", path}))
            << name;
        EXPECT_NEAR(RVAVUtil::getDurationOfFile(path), 3.0, 0.15) << name;
    }
    // Matroska written as a live stream states no length anywhere: unknown.
    const QString live = dir.filePath("live.mkv");
    ASSERT_TRUE(support::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t", "3",
                                    "-c:v", "mpeg4", "-live", "1", live}));
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(live)));
    // A fragmented recording cut before its first fragment is known to be empty.
    ASSERT_TRUE(support::runFfmpeg({"-f", "lavfi", "-i", "testsrc", "-frames:v", "0", "-movflags",
                                    "frag_keyframe+empty_moov", dir.filePath("empty.mp4")}));
    EXPECT_EQ(RVAVUtil::getDurationOfFile(dir.filePath("empty.mp4")), 0.0f);
    // Nothing at all: unknown (bytes that are no media: FolderWalk's BROKEN.MOV).
    EXPECT_TRUE(std::isnan(RVAVUtil::getDurationOfFile(dir.filePath("none.mp4"))));
}
