// Playback as the window shows it: the views' commands go to the trip playback, and its
// reports come back as the slider's position marks, the map's car, the play button's image,
// the controls' state, status notes and alerts.

#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVPaletteIcon.h"
#include "player/window/RVWindowDialogs.h"
#include "timeline/RVTimeSlider2.h"

#include <QIcon>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QtDebug>

#include <algorithm>

namespace {
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
    m_playback = std::make_unique<RVTripPlayback>(*m_player, *m_videoList);
    RVTripPlayback* playback = m_playback.get();
    connect(playback, &RVTripPlayback::opening, this, &RVMainViewController::fileOpening);
    connect(playback, &RVTripPlayback::readyChanged, this,
            &RVMainViewController::setPlaybackControlsEnabled);
    connect(playback, &RVTripPlayback::ticked, this,
            [this](double, double fraction) { showTripTime(fraction); });
    connect(playback, &RVTripPlayback::fileSkipped, this, [this](const QString& fileName) {
        //% "Skipped \"%1\": the recording cannot be played."
        showStatusMessage(withDetail(qtTrId("STATUS_FILE_SKIPPED"), fileName));
    });
    connect(playback, &RVTripPlayback::failed, this, [this](const QString& fileName) {
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The recording \"%1\" cannot be played."
        m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_PLAY_FILE"), fileName));
    });
    connect(m_player, &RVMpvPlayer::rateChanged, this, &RVMainViewController::showRate);

    connect(m_playPauseButton, &QPushButton::clicked, this, [this] { playPauseToggle(); });
    connect(m_fastForwardButton, &QToolButton::clicked, playback, &RVTripPlayback::forward);
    connect(m_rewindButton, &QToolButton::clicked, playback, &RVTripPlayback::rewind);
    connect(m_nextFrameButton, &QToolButton::clicked, this, [this] { nextFrame(); });
    connect(m_prevFrameButton, &QToolButton::clicked, this, [this] { prevFrame(); });
    connect(m_fullScreenButton, &QToolButton::clicked, this, [this] { fullScreenClick(false); });
}

void RVMainViewController::fileOpening(bool newNode)
{
    if (newNode) {
        m_timeLine->setVideoDuration(m_playback->duration());
        m_timeLine->update();
        magnification(1.0);
        // Away from factor 1 the fit button always ends in the fitted view.
        m_magnificationFactor = 0;
        originalSizeClicked();
    }
    updateCameraMenu();
}

void RVMainViewController::setPlaybackControlsEnabled(bool enabled)
{
    m_playPauseButton->setEnabled(enabled);
    m_fastForwardButton->setEnabled(enabled);
    m_rewindButton->setEnabled(enabled);
    m_nextFrameButton->setEnabled(enabled);
    m_prevFrameButton->setEnabled(enabled);
}

void RVMainViewController::showRate(double rate)
{
    // "Pause" only at normal speed: paused, fast forward and rewind all offer "Play", which
    // returns to normal speed.
    m_playPauseButton->setIcon(rate == 1.0 ? pauseImage() : playImage());
    m_playPauseButton->setProperty("imageName",
                                   rate == 1.0 ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void RVMainViewController::showStatusMessage(const QString& text)
{
    // On the status bar for a while, and in the log for a look later.
    qInfo().noquote() << text;
    m_window->statusBar()->showMessage(text, kStatusMessageMs);
}

void RVMainViewController::showTripTime(double fraction)
{
    m_timeLine->setPlayProgress(fraction);
    const RVVideoDataPtr selected = selectedVideoData();
    if (!selected)
        return;
    // The position marks and the map follow only the trip selected in the list.
    m_timeLine->setProgress(sameRecordings(selected, m_playback->node()) ? fraction : -1.0);
    m_timeLine->update();
    const RVPointSeries points = m_videoList->points();
    if (points && !points->empty())
        updateCurrentPositionOnMap();
}

void RVMainViewController::playPauseToggle()
{
    if (!m_playback->node()) {
        if (const RVVideoDataPtr selected = selectedVideoData()) {
            m_playback->start(selected);
            m_videoList->readGpsInfoInBackground(selected);
        }
    }
    m_playback->togglePlayPause();
}

void RVMainViewController::nextFrame()
{
    m_playback->stepFrame(+1);
}

void RVMainViewController::prevFrame()
{
    m_playback->stepFrame(-1);
}

void RVMainViewController::goForward()
{
    m_playback->jump(+1);
}

void RVMainViewController::goBack()
{
    m_playback->jump(-1);
}

void RVMainViewController::goToStart()
{
    m_playback->seekToTripTime(0.0);
}

void RVMainViewController::goToEnd()
{
    m_playback->seekToTripTime(m_playback->duration());
}

void RVMainViewController::rewindPressed()
{
    m_playback->rewind();
}

void RVMainViewController::fastForwardPressed()
{
    m_playback->forward();
}

void RVMainViewController::graphClicked(double fraction)
{
    m_playback->seekToFraction(fraction);
}
