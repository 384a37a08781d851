// The window's playback on a real mpv: a trip of three generated 3-second clips whose frames
// carry their numbers (0-74, 75-149, 150-224 at 25 fps), so the frame on screen tells the trip
// time exactly.

#include "ClipFactory.h"
#include "WindowTestSupport.h"

#include "library/RVVideoList.h"
#include "player/RVMainViewController.h"
#include "player/RVMpvPlayer.h"
#include "player/RVMpvVideoWidget.h"
#include "player/RVTripPlayback.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVTimeSlider2.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>

using ClipFactory::frameNumber;
using ClipFactory::waitFor;

namespace {

constexpr double kTripSeconds = 9.0;

class WindowPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(ClipFactory::tripDir().isEmpty());
        m_dialogs = std::make_shared<ScriptedDialogs>();
        m_controller = std::make_unique<RVMainViewController>(m_dialogs);
        m_controller->loadView(windowtest::makeVideoList(false));
        m_controller->window()->show();
    }

    // Adds `folder` and returns its one row.
    RVVideoDataPtr add(const QString& folder)
    {
        m_controller->addFiles({folder});
        m_controller->videoList()->waitForIdle();
        EXPECT_TRUE(waitFor([&] { return m_controller->filesModel()->rowCount() == 1; }));
        return m_controller->filesModel()->nodeAt(m_controller->filesModel()->index(0, 0));
    }
    RVVideoDataPtr addTrip()
    {
        const RVVideoDataPtr trip = add(ClipFactory::tripDir());
        EXPECT_TRUE(trip && trip->files().size() == 3);
        return trip;
    }
    QString imageName() const
    {
        return m_controller->playPauseButton()->property("imageName").toString();
    }

    // The frame on screen once the seek or step in flight has finished.
    std::optional<int> frameOnScreen(QSignalSpy& settled)
    {
        if (!waitFor([&] { return !settled.isEmpty(); }, 8000))
            return std::nullopt;
        settled.clear();
        std::optional<QImage> still;
        QMetaObject::Connection c =
            QObject::connect(m_controller->player(), &RVMpvPlayer::stillReady,
                             [&](const QImage& image) { still = image; });
        m_controller->player()->grabStill({2000, 2000});
        waitFor([&] { return still.has_value(); }, 5000);
        QObject::disconnect(c);
        return still ? frameNumber(*still) : std::nullopt;
    }

    windowtest::IsolatedSettings m_settings;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RVMainViewController> m_controller;
};

} // namespace

TEST_F(WindowPlayback, TripPlaysAcrossItsBoundariesToTheEndOfTheLastFile)
{
    const RVVideoDataPtr trip = addTrip();
    ASSERT_TRUE(trip);
    m_controller->selectRow(0);
    std::vector<double> ticks;
    QObject::connect(m_controller->playback(), &RVTripPlayback::ticked,
                     [&](double seconds, double) { ticks.push_back(seconds); });
    m_controller->playback()->start(trip);
    EXPECT_EQ(m_controller->playback()->node(), trip);
    EXPECT_DOUBLE_EQ(m_controller->playback()->duration(), kTripSeconds);
    RVVideoList* list = m_controller->videoList();

    // Full screen while it plays: only the video, which goes on drawing in the same surface.
    QMainWindow* window = m_controller->window();
    auto* video = window->findChild<RVMpvVideoWidget*>();
    ASSERT_TRUE(video);
    ASSERT_TRUE(waitFor([&] { return m_controller->player()->rate() == 1.0; }));
    m_controller->altEnterPressed();
    m_controller->magnification(2.0); // zoom is kept in full screen
    ASSERT_TRUE(waitFor([&] { return window->isFullScreen(); }));
    EXPECT_FALSE(m_controller->filesView()->isVisible());
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_DOUBLE_EQ(m_controller->magnificationFactor(), 2.0);
    const std::uint64_t framesBefore = video->renderedFrames();
    EXPECT_TRUE(waitFor([&] { return video->renderedFrames() > framesBefore + 5; }));
    EXPECT_TRUE(video->hasRenderContext());

    // Runs on through both joins and stops at the end of the last file.
    ASSERT_TRUE(waitFor([&] { return list->playingFileInVideoIndex() == 3; }, 20000));
    EXPECT_EQ(m_controller->playback()->currentPath(), ClipFactory::tripClip(2));
    ASSERT_TRUE(waitFor([&] { return m_controller->player()->rate() == 0.0; }, 3000));
    EXPECT_EQ(m_controller->player()->currentPath(), ClipFactory::tripClip(2));

    // Escape leaves full screen with the panels back and the zoom reset, and does no more.
    m_controller->escapePressed();
    ASSERT_TRUE(waitFor([&] { return !window->isFullScreen(); }));
    EXPECT_TRUE(m_controller->filesView()->isVisible());
    EXPECT_TRUE(window->statusBar()->isVisible());
    EXPECT_DOUBLE_EQ(m_controller->magnificationFactor(), 1.0); // fitted
    m_controller->escapePressed();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isFullScreen());

    // The slider followed the trip time, which ran up to the trip's end without going back.
    ASSERT_GT(ticks.size(), 30u);
    EXPECT_GT(ticks.back(), 8.5);
    double seen = 0;
    int backwards = 0;
    for (double t : ticks) {
        backwards += t < seen - 0.25;
        seen = std::max(seen, t);
    }
    EXPECT_EQ(backwards, 0);
    EXPECT_NEAR(m_controller->timeLine()->playProgress(), 1.0, 0.03);
    EXPECT_NEAR(m_controller->timeLine()->progress(), 1.0, 0.03); // the selected row plays
    EXPECT_EQ(imageName(), "Play");

    // Play at the end of the trip starts it again from its beginning.
    m_controller->playPauseToggle();
    ASSERT_TRUE(waitFor([&] {
        return m_controller->player()->currentPath() == ClipFactory::tripClip(0) &&
               m_controller->player()->currentTime() > 0.2;
    }));
    EXPECT_EQ(m_controller->player()->rate(), 1.0);
    EXPECT_EQ(imageName(), "Pause");
    EXPECT_TRUE(m_dialogs->alerts.isEmpty());
}

TEST_F(WindowPlayback, SeeksJumpsRatesAndFrameSteps)
{
    const RVVideoDataPtr trip = addTrip();
    ASSERT_TRUE(trip);
    m_controller->playback()->start(trip);
    RVMpvPlayer* player = m_controller->player();
    QSignalSpy settled(player, &RVMpvPlayer::seekFinished);
    ASSERT_TRUE(waitFor([&] { return player->isReady(); }));
    m_controller->playPauseToggle(); // pause
    ASSERT_EQ(player->rate(), 0.0);
    settled.clear();

    struct Case
    {
        double tripSeconds;
        int file;
        int frame;
    };
    // Times in the middle of a frame (frames last 0.04 s) show the frame that starts next:
    // 3.5 s is 0.5 s into the second file, 7.02 s is 1.02 s into the third.
    for (const Case& c : {Case{3.5, 1, 88}, Case{7.02, 2, 176}, Case{0.22, 0, 6}}) {
        m_controller->graphClicked(c.tripSeconds / kTripSeconds);
        EXPECT_EQ(frameOnScreen(settled), c.frame) << c.tripSeconds;
        EXPECT_EQ(player->currentPath(), ClipFactory::tripClip(c.file));
        EXPECT_EQ(m_controller->videoList()->playingFileInVideoIndex(), c.file);
        EXPECT_EQ(player->rate(), 0.0) << "a seek keeps the pause";
    }
    // Clicks in the slider's margins stay on the trip.
    m_controller->graphClicked(-0.01);
    EXPECT_EQ(frameOnScreen(settled), 0);

    // Six-second jumps move on the trip's time line, across files.
    m_controller->graphClicked(2.0 / kTripSeconds);
    EXPECT_EQ(frameOnScreen(settled), 50);
    m_controller->goForward();
    EXPECT_EQ(frameOnScreen(settled), 200);
    EXPECT_EQ(m_controller->player()->currentPath(), ClipFactory::tripClip(2));
    m_controller->goBack();
    EXPECT_EQ(frameOnScreen(settled), 50);
    m_controller->goBack();
    EXPECT_EQ(frameOnScreen(settled), 0);

    // Rates, away from the trip's start, where backward play would stop at once.
    m_controller->graphClicked(5.0 / kTripSeconds);
    ASSERT_EQ(frameOnScreen(settled), 125);
    m_controller->playback()->forward();
    EXPECT_EQ(player->rate(), 2.0);
    m_controller->playback()->forward();
    EXPECT_EQ(player->rate(), 4.0);
    m_controller->playback()->rewind();
    EXPECT_EQ(player->rate(), -2.0);
    m_controller->playback()->rewind();
    EXPECT_EQ(player->rate(), -4.0);
    m_controller->playback()->forward();
    EXPECT_EQ(player->rate(), 2.0);
    EXPECT_EQ(imageName(), "Play");
    // A toggle during fast play returns to normal speed; a toggle at normal speed pauses.
    m_controller->playPauseToggle();
    EXPECT_EQ(player->rate(), 1.0);
    EXPECT_EQ(imageName(), "Pause");
    m_controller->playPauseToggle();
    EXPECT_EQ(player->rate(), 0.0);

    // A frame step pauses and moves by exactly one frame.
    settled.clear();
    m_controller->graphClicked(4.0 / kTripSeconds);
    ASSERT_EQ(frameOnScreen(settled), 100);
    m_controller->prevFrame();
    EXPECT_EQ(frameOnScreen(settled), 99);
    EXPECT_EQ(player->rate(), 0.0);
}

TEST_F(WindowPlayback, NothingSelectedNothingStartsAndAnUnplayableFileIsReported)
{
    // Play with no row and nothing playing starts nothing.
    m_controller->playPauseToggle();
    EXPECT_EQ(m_controller->playback()->node(), nullptr);
    m_controller->nextFrame();
    m_controller->goForward();
    m_controller->graphClicked(0.5);
    EXPECT_EQ(m_controller->playback()->node(), nullptr);

    QTemporaryDir bad;
    ASSERT_TRUE(ClipFactory::makeBroken(bad.filePath("broken.mp4")));
    ASSERT_TRUE(add(bad.path()));
    m_controller->selectRow(0);
    m_controller->playPauseToggle();
    ASSERT_TRUE(waitFor([&] { return !m_dialogs->alerts.isEmpty(); }, 8000));
    EXPECT_EQ(m_dialogs->alerts.size(), 1);
    EXPECT_EQ(m_dialogs->alerts.front(), "ERROR_TITLE | ERROR_CANT_PLAY_FILE broken.mp4");
    EXPECT_EQ(m_controller->playback()->node(), nullptr);
    EXPECT_TRUE(m_controller->playback()->currentPath().isEmpty());
    EXPECT_FALSE(m_controller->playPauseButton()->isEnabled());
    m_controller->removeFileClicked();
    m_controller->videoList()->waitForIdle();
    ASSERT_TRUE(waitFor([&] { return m_controller->filesModel()->rowCount() == 0; }));

    // The next start goes through the first set-up again and plays.
    ASSERT_TRUE(addTrip());
    m_controller->selectRow(0);
    m_controller->rowClicked(); // the first start after an error plays even on a single click
    ASSERT_TRUE(waitFor([&] { return m_controller->player()->currentTime() > 0.3; }));
    EXPECT_EQ(m_controller->player()->rate(), 1.0);
    EXPECT_TRUE(m_controller->playPauseButton()->isEnabled());
}
