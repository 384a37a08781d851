// Hover thumbnails on generated clips whose frames carry their numbers (ClipFactory), so a
// thumbnail tells exactly which frame it shows: the frame grab itself, the provider's single
// pending request, and the popover of the real window.

#include "ClipFactory.h"
#include "WindowTestSupport.h"

#include "library/RVAVUtil.h"
#include "library/RVVideoList.h"
#include "player/RVMainViewController.h"
#include "player/RVThumbnailPopover.h"
#include "player/RVThumbnailsProvider.h"
#include "player/RVTripPlayback.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVTimeSlider2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <vector>

using ClipFactory::frameNumber;
using ClipFactory::waitFor;

namespace {

constexpr int kFps = 25;

// A 10-second clip with a key frame every 2 s (most whole seconds lie inside a group of
// pictures), and damaged recordings, made once.
struct ThumbnailClips
{
    static ThumbnailClips& get()
    {
        static ThumbnailClips clips;
        return clips;
    }
    ThumbnailClips()
    {
        ok = !ClipFactory::tripDir().isEmpty() &&
             ClipFactory::make(longClip, {320, 240, kFps, 10.0, 0, 2 * kFps}, &error) &&
             ClipFactory::ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a",
                                  "aac", "-f", "mp4", path("sound.mp4")},
                                 &error) &&
             ClipFactory::ffmpeg({"-i", longClip, "-c", "copy", "-movflags", "+faststart", "-f",
                                  "mp4", path("faststart.mp4")},
                                 &error);
        // The clip without its last two thirds (and so without its index, which ffmpeg writes
        // last).
        const QByteArray whole = read(longClip);
        ok = ok && write("truncated.mp4", whole.left(whole.size() / 3));
        // With the index in front (as some cameras write it): a copy cut in half, and one
        // whose media data is damaged from a third of the way on.
        QByteArray damaged = read(path("faststart.mp4"));
        ok = ok && write("cut.mp4", damaged.left(damaged.size() / 2));
        quint32 state = 12345;
        for (qsizetype i = damaged.size() / 3; i < damaged.size(); i += 409) {
            state = state * 1664525u + 1013904223u;
            damaged[i] = char(state >> 24);
        }
        ok = ok && write("damaged.mp4", damaged);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    bool write(const char* name, const QByteArray& data) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    const QString longClip = path("long.mp4");
    QString error;
    bool ok = false;
};

std::optional<int> thumbnailFrame(const QString& path, double seconds)
{
    const std::optional<RVRgbImage> picture = RVAVUtil::getThumbnailOfFile(path, seconds);
    if (!picture)
        return std::nullopt;
    const QImage image = RVThumbnailsProvider::imageFromRgb(*picture);
    EXPECT_EQ(image.size(), QSize(160, 90));
    return frameNumber(image);
}

class Thumbnails : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ThumbnailClips::get().ok) << ThumbnailClips::get().error.toStdString();
    }
};

} // namespace

TEST_F(Thumbnails, ShowTheFrameOnScreenAtTheWholeSecond)
{
    const QString clip = ThumbnailClips::get().longClip;
    // 7.9 s is taken at 7 s: frame 175, decoded from the key frame at 6 s.
    EXPECT_EQ(thumbnailFrame(clip, 7.9), 175);
    EXPECT_EQ(thumbnailFrame(clip, 0.0), 0);
    EXPECT_EQ(thumbnailFrame(clip, 9.99), 225);
    // Before the start: the first frame; at or past the end: the last one.
    EXPECT_EQ(thumbnailFrame(clip, -3.0), 0);
    EXPECT_EQ(thumbnailFrame(clip, 10.0), 249);
    EXPECT_EQ(thumbnailFrame(clip, 1e12), 249);
    EXPECT_EQ(thumbnailFrame(clip, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(Thumbnails, DamagedOrMissingRecordingsGiveNoThumbnail)
{
    const ThumbnailClips& clips = ThumbnailClips::get();
    EXPECT_FALSE(RVAVUtil::getThumbnailOfFile(clips.path("missing.mp4"), 1.0));
    EXPECT_FALSE(RVAVUtil::getThumbnailOfFile(clips.path("sound.mp4"), 1.0));
    // The index of an MP4 written by ffmpeg follows the media data, so a recording cut short
    // (a card pulled while the camera wrote) has none.
    EXPECT_FALSE(RVAVUtil::getThumbnailOfFile(clips.path("truncated.mp4"), 1.0));

    // With the index in front, what was written before the cut still shows.
    EXPECT_EQ(thumbnailFrame(clips.path("cut.mp4"), 1.0), 25);
    EXPECT_FALSE(RVAVUtil::getThumbnailOfFile(clips.path("cut.mp4"), 9.0));
    // Damaged media data: the decoder conceals what it can; a damaged packet does not cost
    // the whole thumbnail.
    int shown = 0;
    for (int second = 0; second < 10; ++second) {
        const std::optional<RVRgbImage> picture =
            RVAVUtil::getThumbnailOfFile(clips.path("damaged.mp4"), second);
        if (picture) {
            ++shown;
            EXPECT_EQ(picture->width, 160);
            EXPECT_EQ(picture->rgb.size(), 160u * 90u * 3u);
        }
    }
    EXPECT_GE(shown, 8);
}

TEST_F(Thumbnails, ProviderMakesTheFirstAndTheLatestOfRequestsArrivingMeanwhile)
{
    const QString clip = ThumbnailClips::get().longClip;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<int>> delivered;
    std::vector<QSize> sizes;
    bool release = false;
    {
        RVThumbnailsProvider provider;
        provider.setCompletionHandler([&](const QImage& image) {
            std::unique_lock lock(mutex);
            delivered.push_back(frameNumber(image));
            sizes.push_back(image.size());
            changed.notify_all();
            // The first thumbnail is held back until the test has sent its next requests:
            // they all arrive while the worker is busy.
            changed.wait(lock, [&] { return release; });
        });
        provider.buildThumbnailForFile(clip, 1.0);
        bool started = false;
        {
            std::unique_lock lock(mutex);
            started = changed.wait_for(lock, std::chrono::seconds(20),
                                       [&] { return !delivered.empty(); });
        }
        EXPECT_TRUE(started);
        EXPECT_EQ(provider.computingFilePath(), clip);
        provider.buildThumbnailForFile(clip, 2.0);
        provider.buildThumbnailForFile(clip, 3.0);
        provider.buildThumbnailForFile(clip, 4.5);
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        changed.notify_all();
        provider.waitForDone();
        EXPECT_FALSE(provider.computingFilePath());

        // Idle again: the next request starts a new worker; a file without a frame is still
        // answered, with a null image.
        provider.buildThumbnailForFile(ThumbnailClips::get().path("missing.mp4"), 5.0);
        provider.waitForDone();
        provider.buildThumbnailForFile(clip, 8.0);
        provider.waitForDone();

        // The same second again comes from the kept thumbnails; a recording replaced on disk
        // is decoded afresh.
        provider.buildThumbnailForFile(clip, 8.6);
        provider.waitForDone();
        EXPECT_EQ(provider.cacheHits(), 1u);
        const QString replaced = QDir(QFileInfo(clip).path()).filePath("replaced.mp4");
        QFile::remove(replaced);
        ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), replaced));
        provider.buildThumbnailForFile(replaced, 1.0);
        provider.waitForDone();
        QFile::remove(replaced);
        ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(1), replaced));
        provider.buildThumbnailForFile(replaced, 1.0);
        provider.waitForDone();
        EXPECT_EQ(provider.cacheHits(), 1u);

        // Destroying a provider while it works waits for the thumbnail in progress and drops
        // the pending request.
        provider.buildThumbnailForFile(clip, 6.0);
        provider.buildThumbnailForFile(clip, 7.0);
    }
    ASSERT_GE(delivered.size(), 4u);
    EXPECT_EQ(delivered[0], 25);
    EXPECT_EQ(delivered[1], 100);
    EXPECT_EQ(sizes[1], QSize(160, 90));
    EXPECT_EQ(sizes[2], QSize(0, 0)); // the missing file: a null image
    EXPECT_EQ(delivered[3], 200);
    ASSERT_GE(delivered.size(), 7u);
    EXPECT_EQ(delivered[4], 200);
    EXPECT_EQ(delivered[5], 25);
    EXPECT_EQ(delivered[6], 100);
    // The last pair: the one in progress when the provider went, perhaps the pending one.
    ASSERT_GE(delivered.size(), 8u);
    EXPECT_EQ(delivered[7], 150);
    EXPECT_LE(delivered.size(), 9u);
}

namespace {

class WindowThumbnails : public Thumbnails
{
protected:
    void SetUp() override
    {
        Thumbnails::SetUp();
        m_controller = std::make_unique<RVMainViewController>(std::make_shared<ScriptedDialogs>());
        m_controller->loadView(windowtest::makeVideoList(false));
        m_controller->window()->show();
    }

    RVVideoDataPtr startTrip()
    {
        m_controller->addFiles({ClipFactory::tripDir()});
        m_controller->videoList()->waitForIdle();
        if (!waitFor([&] { return m_controller->filesModel()->rowCount() == 1; }))
            return nullptr;
        const RVVideoDataPtr trip =
            m_controller->filesModel()->nodeAt(m_controller->filesModel()->index(0, 0));
        m_controller->playback()->start(trip);
        return trip;
    }

    // The pointer moving over the slider at x, y (widget coordinates) with no button held.
    void movePointer(double x, double y)
    {
        RVTimeSlider2* slider = m_controller->timeLine();
        const QPointF local(x, y);
        QMouseEvent move(QEvent::MouseMove, local, slider->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
    }

    // Waits until the worker is idle and its last result has reached the window.
    void settle()
    {
        m_controller->thumbnailsProvider()->waitForDone();
        ClipFactory::spin(50);
    }

    windowtest::IsolatedSettings m_settings;
    std::unique_ptr<RVMainViewController> m_controller;
};

} // namespace

TEST_F(WindowThumbnails, PopoverShowsTheTripFrameUnderThePointerAboveTheAxis)
{
    RVThumbnailPopover* popover = m_controller->thumbnailPopover();
    RVTimeSlider2* slider = m_controller->timeLine();

    // Nothing plays: hovering asks for nothing and shows nothing.
    movePointer(slider->width() / 2.0, 10);
    settle();
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(popover->thumbnail().isNull());

    ASSERT_TRUE(startTrip());
    ASSERT_DOUBLE_EQ(m_controller->playback()->duration(), 9.0);
    const double axisWidth = slider->width() - 10.0;

    // Half-way along the axis: trip time 4.5 s, 1.5 s into the second file, shown at 1 s.
    movePointer(5 + 0.5 * axisWidth, 10);
    ASSERT_TRUE(waitFor([&] { return popover->isShown(); }, 10000));
    EXPECT_EQ(frameNumber(popover->thumbnail()), 100);
    // The tip sits on the axis, 5 points right of the pointer; the balloon above it.
    const QPoint tip =
        slider->mapFromGlobal(popover->parentWidget()->mapToGlobal(popover->tipPosition()));
    EXPECT_EQ(tip, QPoint(qRound(axisWidth * 0.5 + 10), 4));
    const QRect balloon(slider->mapFromGlobal(popover->parentWidget()->mapToGlobal(popover->pos())),
                        popover->size());
    EXPECT_LE(balloon.bottom(), 4);
    EXPECT_LE(balloon.left(), tip.x());
    EXPECT_GE(balloon.right(), tip.x());

    // The popover follows the pointer.
    movePointer(5 + 0.9 * axisWidth, 10);
    ASSERT_TRUE(waitFor([&] { return frameNumber(popover->thumbnail()) == 200; }, 10000));
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->positioningRect().left(), qRound(axisWidth * 0.9 + 10));

    // The pointer leaving the slider closes it; a thumbnail that arrives afterwards updates
    // the picture but leaves the popover closed.
    m_controller->showThumbnailAtProgress(0.1); // 0.9 s: frame 0
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(slider, &leave);
    EXPECT_FALSE(popover->isShown());
    settle();
    EXPECT_EQ(frameNumber(popover->thumbnail()), 0);
    EXPECT_FALSE(popover->isShown());
}
