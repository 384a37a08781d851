// Playback: which file of the playing node is in the player, the rate, seeking on the node's
// time line, frame steps, running on into the next file, and the 1/10 s tick that drives the
// slider.
//
// Times: the player reports seconds within the file it holds; trip time is that plus the
// file's start offset on the node's time line (the sum of the durations of the files before
// it, from the video list). Fractions passed to and from the slider are fractions of the
// node's duration.

#include "player/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/RVMpvPlayer.h"
#include "player/RVPaletteIcon.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "player/RVWindowDialogs.h"
#include "timeline/RVTimeSlider2.h"

#include <QFileInfo>
#include <QIcon>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QtDebug>

#include <algorithm>

namespace {
constexpr double kJumpSeconds = 6.0;
constexpr double kFastRateStep = 2.0;
constexpr int kStatusMessageMs = 15000;

// A localised format with one "%1" for a detail; without one the detail is appended.
QString withDetail(const QString& format, const QString& detail)
{
    return format.contains(QLatin1String("%1")) ? format.arg(detail)
                                                : format + QLatin1Char(' ') + detail;
}

QIcon playImage()
{
    return RVPaletteIcon::themed(QStringLiteral("media-playback-start"),
                                 QStringLiteral(":/player/Play.svg"));
}

QIcon pauseImage()
{
    return RVPaletteIcon::themed(QStringLiteral("media-playback-pause"),
                                 QStringLiteral(":/player/Pause.svg"));
}

// Regrouping the list makes new node objects, so the selected row is the playing trip when it
// holds the same recordings.
bool sameRecordings(const RVVideoDataPtr& a, const RVVideoDataPtr& b)
{
    if (a == b)
        return true;
    if (!a || !b || a->files().size() != b->files().size())
        return false;
    return std::equal(a->files().begin(), a->files().end(), b->files().begin(),
                      [](const RVVideoFilePtr& x, const RVVideoFilePtr& y) {
                          return x->filePath() == y->filePath();
                      });
}

} // namespace

void RVMainViewController::connectPlayer()
{
    connect(m_player, &RVMpvPlayer::itemReady, this, [this] { onItemStatusChanged(true, {}); });
    connect(m_player, &RVMpvPlayer::itemFailed, this,
            [this](const QString& message) { onItemStatusChanged(false, message); });
    connect(m_player, &RVMpvPlayer::rateChanged, this, &RVMainViewController::onRateChanged);
    connect(m_player, &RVMpvPlayer::endReached, this, &RVMainViewController::itemDidFinishPlaying);
    connect(m_player, &RVMpvPlayer::startReached, this, &RVMainViewController::itemReachedStart);
    connect(m_player, &RVMpvPlayer::tick, this, &RVMainViewController::tick);

    connect(m_playPauseButton, &QPushButton::clicked, this, [this] { playPauseToggle(); });
    connect(m_fastForwardButton, &QToolButton::clicked, this, [this] { forward(); });
    connect(m_rewindButton, &QToolButton::clicked, this, [this] { rewind(); });
    connect(m_nextFrameButton, &QToolButton::clicked, this, [this] { nextFrame(); });
    connect(m_prevFrameButton, &QToolButton::clicked, this, [this] { prevFrame(); });
    connect(m_fullScreenButton, &QToolButton::clicked, this, [this] { fullScreenClick(false); });
}

void RVMainViewController::startVideo(const RVVideoDataPtr& node)
{
    if (!node)
        return;
    m_timeLine->setVideoDuration(node->duration());
    m_timeLine->update();
    m_playingVideoPath = m_videoList->openVideoData(node);
    magnification(1.0);
    openVideoData(node, m_playingVideoPath, true);
    m_player->play();
}

void RVMainViewController::openVideoData(const RVVideoDataPtr& node, const QString& path,
                                         bool resetZoom)
{
    m_playingVideoPath = path;
    // `node` may be m_playingVideoData itself: copy before replacing.
    const RVVideoDataPtr previous = m_playingVideoData;
    m_playingVideoData = RVVideoDataPtr(node);
    m_atEndOfNode = false;
    if (resetZoom) {
        // Away from factor 1 the fit button always ends in the fitted view.
        m_magnificationFactor = 0;
        originalSizeClicked();
    }
    updateCameraMenu();
    if (previous) {
        // Playback is set up: replace the file, leaving the play state as it is.
        m_player->load(path, 0.0, m_player->rate() == 0.0, viewsOfFile(path));
    } else {
        // The first file since start or since an error: once it is ready, it plays.
        m_awaitingFirstSetUp = true;
        m_player->load(path, 0.0, false, viewsOfFile(path));
    }
    queueNextFile();
}

QString RVMainViewController::nextFilePath() const
{
    if (!m_playingVideoData)
        return {};
    const RVVideoFileList& files = m_playingVideoData->files();
    const int index = m_videoList->playingFileInVideoIndex();
    if (index >= 0 && index + 1 < int(files.size()))
        return files[index + 1]->filePath();
    return {};
}

void RVMainViewController::queueNextFile()
{
    // Lets the player open the trip's next file ahead of time so the join is seamless.
    const QString next = nextFilePath();
    m_player->setNextPath(next, viewsOfFile(next));
}

void RVMainViewController::setUpPlayback()
{
    m_awaitingFirstSetUp = false;
    m_player->play();
}

void RVMainViewController::onItemStatusChanged(bool ready, const QString& error)
{
    if (!ready && !error.isEmpty())
        stopLoadingAnimationAndHandleError(error);
    m_playPauseButton->setEnabled(ready);
    m_fastForwardButton->setEnabled(ready);
    m_rewindButton->setEnabled(ready);
    m_nextFrameButton->setEnabled(ready);
    m_prevFrameButton->setEnabled(ready);
    if (ready && m_awaitingFirstSetUp)
        setUpPlayback();
}

void RVMainViewController::onRateChanged(double rate)
{
    if (rate < 0.0)
        m_reverseRate = rate;
    // "Pause" only at normal speed: paused, fast forward and rewind all offer "Play", which
    // returns to normal speed.
    m_playPauseButton->setIcon(rate == 1.0 ? pauseImage() : playImage());
    m_playPauseButton->setProperty("imageName",
                                   rate == 1.0 ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void RVMainViewController::stopLoadingAnimationAndHandleError(const QString& error)
{
    if (error.isEmpty())
        return;
    qInfo().noquote() << "Cannot play" << m_playingVideoPath << ":" << error;
    const QString fileName = QFileInfo(m_playingVideoPath).fileName();
    if (m_playingVideoData) {
        const int index = m_videoList->playingFileInVideoIndex();
        if (index >= 0 && index + 1 < int(m_playingVideoData->files().size())) {
            // One unreadable recording does not end its trip: the next one plays. Queued, so
            // that the player has finished reporting the failure first.
            //% "Skipped \"%1\": the recording cannot be played."
            showStatusMessage(withDetail(qtTrId("STATUS_FILE_SKIPPED"), fileName));
            const RVVideoDataPtr node = m_playingVideoData;
            QMetaObject::invokeMethod(
                this,
                [this, node] {
                    if (m_playingVideoData == node)
                        itemDidFinishPlaying();
                },
                Qt::QueuedConnection);
            return;
        }
    }
    m_playingVideoData.reset();
    m_playingVideoPath.clear();
    m_awaitingFirstSetUp = false;
    m_atEndOfNode = false;
    m_player->setNextPath(QString());
    // The alert is modal; it is shown once the player's notification has returned.
    QMetaObject::invokeMethod(
        this,
        [this, fileName] {
            //% "Error"
            const QString title = qtTrId("ERROR_TITLE");
            //% "The recording \"%1\" cannot be played."
            m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_PLAY_FILE"), fileName));
        },
        Qt::QueuedConnection);
}

void RVMainViewController::showStatusMessage(const QString& text)
{
    // On the status bar for a while, and in the log for a look later.
    qInfo().noquote() << text;
    m_window->statusBar()->showMessage(text, kStatusMessageMs);
}

void RVMainViewController::tick(double seconds)
{
    const double length = duration();
    if (!m_playingVideoData || length <= 0.0)
        return;
    const double tripSeconds = m_videoList->getCurrentFileTimeOffset() + seconds;
    const double fraction = tripSeconds / length;
    m_timeLine->setPlayProgress(fraction);
    const RVVideoDataPtr selected = selectedVideoData();
    if (selected) {
        // The position marks and the map follow only the trip selected in the list.
        m_timeLine->setProgress(sameRecordings(selected, m_playingVideoData) ? fraction : -1.0);
        m_timeLine->update();
        const RVPointSeries points = m_videoList->points();
        if (points && !points->empty())
            updateCurrentPositionOnMap();
    }
    Q_EMIT ticked(tripSeconds);
}

double RVMainViewController::duration() const
{
    return m_playingVideoData ? double(m_playingVideoData->duration()) : 0.0;
}

double RVMainViewController::currentTime() const
{
    return m_player->currentTime();
}

void RVMainViewController::setCurrentTime(double seconds)
{
    // Seeks are exact, to the frame at the time asked; a seek while playing forward resumes at
    // normal speed, while paused or playing backward the play state stays.
    const double rate = m_player->rate();
    if (rate > 0)
        m_player->pause();
    m_atEndOfNode = false;
    m_player->seek(std::max(0.0, seconds));
    if (rate > 0)
        m_player->play();
}

void RVMainViewController::playPauseToggle()
{
    if (!m_playingVideoData) {
        if (const RVVideoDataPtr selected = selectedVideoData()) {
            startVideo(selected);
            m_videoList->readGpsInfoInBackground(selected);
        }
    }
    // Nothing chosen and nothing loaded: there is nothing to play or pause.
    if (!m_playingVideoData)
        return;
    if (m_player->rate() == 1.0) {
        m_player->pause();
        return;
    }
    if (isAtEndOfNode())
        seekToTripTime(0.0);
    m_player->play();
}

bool RVMainViewController::isAtEndOfNode() const
{
    if (!m_playingVideoData)
        return false;
    // The last file ran to its end, or a single recording sits exactly at its end.
    return m_atEndOfNode || currentTime() == duration();
}

void RVMainViewController::forward()
{
    if (!m_playingVideoData)
        return;
    const double rate = m_player->rate();
    m_player->setRate(rate < kFastRateStep ? kFastRateStep : rate + kFastRateStep);
}

void RVMainViewController::rewind()
{
    if (!m_playingVideoData)
        return;
    const double rate = m_player->rate();
    m_player->setRate(rate > -kFastRateStep ? -kFastRateStep : rate - kFastRateStep);
}

void RVMainViewController::nextFrame()
{
    if (!m_playingVideoData)
        return;
    m_player->pause();
    m_player->stepFrame(+1);
}

void RVMainViewController::prevFrame()
{
    if (!m_playingVideoData)
        return;
    m_player->pause();
    m_player->stepFrame(-1);
}

double RVMainViewController::currentTripTime() const
{
    return m_videoList->getCurrentFileTimeOffset() + currentTime();
}

void RVMainViewController::goForward()
{
    if (!m_playingVideoData)
        return;
    seekToTripTime(std::min(currentTripTime() + kJumpSeconds, duration()));
}

void RVMainViewController::goBack()
{
    if (!m_playingVideoData)
        return;
    seekToTripTime(std::max(currentTripTime() - kJumpSeconds, 0.0));
}

void RVMainViewController::goToStart()
{
    if (m_playingVideoData)
        seekToTripTime(0.0);
}

void RVMainViewController::goToEnd()
{
    if (m_playingVideoData)
        seekToTripTime(duration());
}

void RVMainViewController::rewindPressed()
{
    rewind();
}

void RVMainViewController::fastForwardPressed()
{
    forward();
}

void RVMainViewController::itemDidFinishPlaying()
{
    if (!m_playingVideoData)
        return;
    const std::optional<QString> next = m_videoList->getNextFilePath();
    if (!next) {
        // The trip's last file: the player stays on its last frame.
        m_atEndOfNode = true;
        return;
    }
    // The end came while playing forwards, so the next file plays on (the player has usually
    // opened it already and only confirms it).
    m_playingVideoPath = *next;
    m_player->load(*next, 0.0, false, viewsOfFile(*next));
    queueNextFile();
}

void RVMainViewController::itemReachedStart()
{
    // Playing backward reached the start of a file: go on from the end of the trip's file
    // before it at the same rate. Files whose length is unknown could not be read and are
    // passed over.
    if (!m_playingVideoData || !(m_reverseRate < 0.0))
        return;
    const RVVideoFileList& files = m_playingVideoData->files();
    int index = std::min(m_videoList->playingFileInVideoIndex(), int(files.size()));
    while (--index >= 0 && !(files[std::size_t(index)]->duration() > 0.0f)) {
    }
    if (index < 0)
        return; // the trip's start: the player stays paused on its first frame
    m_videoList->setPlayingFileInVideoIndex(index);
    const RVVideoFilePtr& file = files[std::size_t(index)];
    // Just before the end: a start at the very end would be the end of the file.
    const double frame = 0.04;
    m_playingVideoPath = file->filePath();
    m_atEndOfNode = false;
    m_player->load(m_playingVideoPath, std::max(0.0, double(file->duration()) - frame), true);
    m_player->setRate(m_reverseRate);
    queueNextFile();
}

void RVMainViewController::graphClicked(double fraction)
{
    const double length = duration();
    if (!m_playingVideoData || !(length > 0.0))
        return;
    // Clicks in the slider's margins land slightly outside 0..1.
    seekToTripTime(std::clamp(fraction, 0.0, 1.0) * length);
}

void RVMainViewController::seekToTripTime(double tripSeconds)
{
    const std::optional<RVSeekResult> found =
        m_videoList->getPathToVideoByTimeOffset(tripSeconds, true);
    if (found && found->newPath)
        openVideoData(m_playingVideoData, *found->newPath, false);
    setCurrentTime(tripSeconds - (found ? found->offsetInFile : 0.0));
}
