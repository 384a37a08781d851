// Playback as the window shows it: the views' commands go to the trip playback, and its
// reports come back as the slider's position marks, the map's car, the play button's image,
// the controls' state, status notes and alerts.

#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVTripPlayback.h"
#include "player/video/RVVideoZoom.h"
#include "player/window/RVEventsPanel.h"
#include "player/window/RVMapHandOver.h"
#include "player/window/RVPaletteIcon.h"
#include "player/window/RVStillCommand.h"
#include "player/window/RVThumbnailHover.h"
#include "player/window/RVWindowActions.h"
#include "player/window/RVWindowDialogs.h"
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUnits.h"

#include <QAbstractButton>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QtDebug>

#include <algorithm>
#include <utility>

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
    m_playback = std::make_unique<RVTripPlayback>(*m_player);
    RVTripPlayback* playback = m_playback.get();
    connect(playback, &RVTripPlayback::opening, this, &RVMainViewController::fileOpening);
    connect(playback, &RVTripPlayback::readyChanged, this,
            &RVMainViewController::setPlaybackControlsEnabled);
    connect(playback, &RVTripPlayback::ticked, this,
            [this](double, double, double fraction) { showTripTime(fraction); });
    connect(playback, &RVTripPlayback::fileSkipped, this, [this](const QString& fileName) {
        //% "Skipped \"%1\": the recording cannot be played."
        showStatusMessage(withDetail(qtTrId("STATUS_FILE_SKIPPED"), fileName));
    });
    connect(playback, &RVTripPlayback::cardRemoved, this, [this](const QString& card) {
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The card \"%1\" was removed: its recordings cannot be played until it is back."
        m_dialogs->alert(title,
                         withDetail(qtTrId("ERROR_CARD_REMOVED"), QDir::toNativeSeparators(card)));
    });
    connect(playback, &RVTripPlayback::failed, this, [this](const QString& fileName) {
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The recording \"%1\" cannot be played."
        m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_PLAY_FILE"), fileName));
    });
    connect(playback, &RVTripPlayback::ticked, this,
            [this](double, double fileSeconds) { updateClockLabel(fileSeconds); });
    connect(m_player, &RVMpvPlayer::rateChanged, this, &RVMainViewController::showRate);
    connectCommands();
}

void RVMainViewController::connectCommands()
{
    using C = RVWindowCommand;
    RVTripPlayback* playback = m_playback.get();
    const auto on = [this](C command, auto slot) {
        connect(m_actions->action(command), &QAction::triggered, this, slot);
    };
    on(C::PlayPause, [this] { playPauseToggle(); });
    on(C::FastForward, [playback] { playback->forward(); });
    on(C::Rewind, [playback] { playback->rewind(); });
    on(C::NextFrame, [playback] { playback->stepFrame(+1); });
    on(C::PreviousFrame, [playback] { playback->stepFrame(-1); });
    on(C::StepForward, [playback] { playback->jump(+1); });
    on(C::StepBackward, [playback] { playback->jump(-1); });
    on(C::GoToStart, [playback] { playback->seekToTripTime(0.0); });
    on(C::GoToEnd, [playback] { playback->seekToTripTime(playback->duration()); });
    on(C::FullScreen, [this] { fullScreenClick(false); });
    // Escape leaves full screen; in the window it clears the clip's marks.
    on(C::LeaveFullScreen, [this] {
        if (m_window->isFullScreen())
            fullScreenClick(true);
        else
            m_actions->action(C::ClearMarks)->trigger();
    });
    on(C::Still, [this] { m_stills->take(); });
    on(C::ZoomIn, [this] { m_zoom->zoomIn(); });
    on(C::ZoomOut, [this] { m_zoom->zoomOut(); });
    on(C::FitToWindow, [this] { m_zoom->toggleNativeSize(); });
    // E and Shift+E: the next or previous event, from its lead-up; the playback keeps its
    // state. A click on an event plays from its lead-up.
    const auto goToEvent = [this, playback](int direction) {
        const std::optional<std::size_t> index = m_events->next(playback->tripTime(), direction);
        if (!index)
            return;
        m_events->select(*index);
        playback->seekToTripTime(RVEventsPanel::startOf(m_events->events()[*index]));
    };
    on(C::NextEvent, [goToEvent] { goToEvent(+1); });
    on(C::PreviousEvent, [goToEvent] { goToEvent(-1); });
    connect(m_events, &RVEventsPanel::eventChosen, this, [this, playback](std::size_t index) {
        playback->seekToTripTime(RVEventsPanel::startOf(m_events->events()[index]));
        m_player->play();
    });

    const std::pair<QAbstractButton*, C> buttons[] = {
        {m_playPauseButton, C::PlayPause},     {m_fastForwardButton, C::FastForward},
        {m_rewindButton, C::Rewind},           {m_nextFrameButton, C::NextFrame},
        {m_prevFrameButton, C::PreviousFrame}, {m_fullScreenButton, C::FullScreen},
        {m_screenShotButton, C::Still},        {m_zoomInButton, C::ZoomIn},
        {m_zoomOutButton, C::ZoomOut},         {m_fitVideoButton, C::FitToWindow},
    };
    for (const auto& [button, command] : buttons)
        connect(button, &QAbstractButton::clicked, m_actions->action(command), &QAction::trigger);
}

void RVMainViewController::fileOpening(bool newNode)
{
    if (newNode) {
        showEvents();
        m_timeLine->setVideoDuration(m_playback->duration());
        m_timeLine->update();
        m_zoom->reset();
    }
    updateCameraMenu();
}

void RVMainViewController::showEvents()
{
    const RVVideoDataPtr node = m_playback->node();
    m_events->setNode(node, RVUnits::storedSystem());
    std::vector<double> marks;
    std::vector<RVMapEvent> places;
    for (const RVEvent& event : m_events->events()) {
        marks.push_back(event.seconds);
        places.push_back({event.latitude, event.longitude, RVEventsPanel::kindText(event.kind)});
    }
    m_timeLine->setEventMarks(std::move(marks));
    m_map->setEvents(std::move(places));
}

void RVMainViewController::setPlaybackControlsEnabled(bool enabled)
{
    m_playPauseButton->setEnabled(enabled);
    m_fastForwardButton->setEnabled(enabled);
    m_rewindButton->setEnabled(enabled);
    m_nextFrameButton->setEnabled(enabled);
    m_prevFrameButton->setEnabled(enabled);
    // Without a picture there is nothing to save, enlarge or show full screen.
    using C = RVWindowCommand;
    for (const C command : {C::Still, C::ZoomIn, C::ZoomOut, C::FitToWindow, C::FullScreen})
        m_actions->action(command)->setEnabled(enabled);
    for (QToolButton* button : {m_screenShotButton, m_zoomInButton, m_zoomOutButton,
                                m_fitVideoButton, m_fullScreenButton})
        button->setEnabled(enabled);
}

void RVMainViewController::showRate(double rate)
{
    // The button pauses whatever moves, forward or backward, and plays what is paused.
    m_playPauseButton->setIcon(rate != 0.0 ? pauseImage() : playImage());
    m_playPauseButton->setProperty("imageName",
                                   rate != 0.0 ? QStringLiteral("Pause") : QStringLiteral("Play"));
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
        m_map->showPosition();
}

void RVMainViewController::updateClockLabel(double fileSeconds)
{
    // The frame's wall-clock time: the playing file's start plus the time into it.
    QString text;
    const RVVideoFilePtr file = m_playback->currentFile();
    if (file && file->created().isValid()) {
        const qint64 ms = file->created().msecsSinceEpoch() + qint64(fileSeconds * 1000.0);
        text = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    const double rate = m_player->rate();
    if (rate != 0.0 && rate != 1.0)
        text += QStringLiteral("  %1\u00d7").arg(rate);
    m_clockLabel->setText(text.trimmed());
}

void RVMainViewController::playPauseToggle()
{
    if (!m_playback->node()) {
        if (const RVVideoDataPtr selected = selectedVideoData()) {
            whenUnchanged(selected, [this, selected] {
                m_playback->start(selected);
                m_videoList->readGpsInfoInBackground(selected);
                m_playback->togglePlayPause();
            });
            return;
        }
    }
    m_playback->togglePlayPause();
}

void RVMainViewController::graphClicked(double fraction)
{
    m_playback->seekToFraction(fraction);
}

void RVMainViewController::magnification(double factor)
{
    m_zoom->magnify(factor);
}

void RVMainViewController::showThumbnailAtProgress(double fraction)
{
    if (m_thumbnails)
        m_thumbnails->showAtProgress(fraction);
}

void RVMainViewController::showPopover()
{
    if (m_thumbnails)
        m_thumbnails->setPointerInside(true);
}

void RVMainViewController::hidePopover()
{
    if (m_thumbnails)
        m_thumbnails->setPointerInside(false);
}
