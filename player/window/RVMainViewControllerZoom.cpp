// Zoom, native size and still pictures of the video area.
//
// The player view is the document of the scroll view: fitted it has the scroll view's size;
// a zoom step multiplies the factor by 2 or 1/2 about the visible centre; the fit button goes
// from fitted to the video's native pixel size and from anything else back to fitted. The
// arithmetic is RVZoomGeometry's; here it is applied to the scroll view, and the player is
// told which part of the enlarged video to render.
//
// Stills: the frame on screen is grabbed at the video's own size (at most 2000 x 2000), then
// the save panel proposes "<file name> <clock time of the frame>" as a JPEG, in the folder
// stills were last saved to (the Pictures folder at first).

#include "player/window/RVMainViewController.h"

#include "core/RVSettings.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVStillImage.h"
#include "player/video/RVTripPlayback.h"
#include "player/video/RVVideoScrollView.h"
#include "player/video/RVZoomGeometry.h"
#include "player/window/RVSaveFolder.h"
#include "player/window/RVWindowDialogs.h"

#include <QDateTime>
#include <QToolButton>
#include <QtDebug>

#include <cmath>
#include <utility>

namespace {
constexpr double kZoomInStep = 2.0;
constexpr double kZoomOutStep = 0.5;
constexpr int kStillMaximumSide = 2000;

QString withDetail(QString format, const QString& detail)
{
    if (format.contains(QLatin1String("%1")))
        return format.arg(detail);
    // A text without a place for the detail (no translation): the detail still shows.
    return format + QLatin1Char(' ') + detail;
}
} // namespace

void RVMainViewController::connectZoomAndStills()
{
    connect(m_zoomInButton, &QToolButton::clicked, this, [this] { zoomInClicked(); });
    connect(m_zoomOutButton, &QToolButton::clicked, this, [this] { zoomOutClicked(); });
    connect(m_fitVideoButton, &QToolButton::clicked, this, [this] { originalSizeClicked(); });
    connect(m_screenShotButton, &QToolButton::clicked, this, [this] { screenShotClicked(); });
    connect(m_playerScrollView, &RVVideoScrollView::visibleRectChanged, this,
            &RVMainViewController::updateVideoPan);
    // A new file may have another size: lay it out again at the same factor.
    connect(m_player, &RVMpvPlayer::itemReady, this, [this] {
        if (m_playerScrollView->isFitted())
            updateVideoPan();
        else
            magnification(1.0);
    });
    // The save panel is modal: it opens once the player's notification has returned.
    connect(m_player, &RVMpvPlayer::stillReady, this, &RVMainViewController::saveStill,
            Qt::QueuedConnection);
    connect(m_player, &RVMpvPlayer::stillFailed, this, &RVMainViewController::stillFailed,
            Qt::QueuedConnection);
}

void RVMainViewController::magnification(double factor)
{
    applyZoomLayout(RVZoomGeometry::magnification(
        m_magnificationFactor, factor, QSizeF(m_player->videoSize()),
        QSizeF(m_playerScrollView->size()), m_playerScrollView->visibleRect().topLeft()));
}

void RVMainViewController::zoomInClicked()
{
    magnification(kZoomInStep);
}

void RVMainViewController::zoomOutClicked()
{
    magnification(kZoomOutStep);
}

void RVMainViewController::originalSizeClicked()
{
    applyZoomLayout(RVZoomGeometry::originalSize(
        m_magnificationFactor, QSizeF(m_player->videoSize()),
        m_playerScrollView->documentSize().width(), QSizeF(m_playerScrollView->size())));
}

void RVMainViewController::applyZoomLayout(const RVZoomLayout& layout)
{
    m_magnificationFactor = layout.magnificationFactor;
    m_playerScrollView->setScrollersVisible(layout.scrollersShown);
    if (layout.fitted)
        m_playerScrollView->setFitted();
    else if (layout.playerSize)
        m_playerScrollView->setDocumentSize(*layout.playerSize);
    if (layout.visibleOrigin)
        m_playerScrollView->scrollToOrigin(*layout.visibleOrigin);
    updateVideoPan();
}

void RVMainViewController::updateVideoPan()
{
    // A window made larger after a zoom may show more than the enlarged player view; the
    // video is then shown fitted to the view rather than smaller than that.
    const QRectF visible = m_playerScrollView->visibleRect();
    const QSizeF document = m_playerScrollView->documentSize().expandedTo(visible.size());
    const RVVideoPan pan =
        RVZoomGeometry::videoPan(QSizeF(m_player->videoSize()), document, visible);
    m_player->setVideoZoom(pan.zoomLog2, pan.panX, pan.panY);
}

void RVMainViewController::screenShotClicked()
{
    if (!m_playback->node())
        return; // no video, nothing to save
    // Named after the file and the clock time of the frame on screen when asked.
    const RVVideoFilePtr file = m_playback->currentFile();
    const QDateTime fileStart = file ? file->created().toDateTime() : QDateTime();
    // Paused from the click on, so the picture is the frame the name describes (playing on
    // could cross into the next file before the grab); it plays on once the panel is closed.
    if (!m_pendingStillName)
        m_stillResumeRate = m_player->rate();
    m_player->pause();
    m_pendingStillName =
        RVSaveFolder::stillName(m_playback->currentPath(), fileStart, m_playback->currentTime());
    m_player->grabStill(QSize(kStillMaximumSide, kStillMaximumSide));
}

void RVMainViewController::resumeAfterStill()
{
    const double rate = std::exchange(m_stillResumeRate, 0.0);
    if (rate != 0.0 && m_playback->node())
        m_player->setRate(rate);
}

void RVMainViewController::saveStill(const QImage& image)
{
    if (!m_pendingStillName)
        return; // not asked for by this window
    const QString name = *m_pendingStillName;
    m_pendingStillName.reset();
    const std::optional<QString> path =
        chooseSavePathPaused(name, QStringLiteral("jpeg"), RVSettings::kLastStillFolder,
                             QStandardPaths::PicturesLocation);
    resumeAfterStill();
    if (!path)
        return;
    QString error;
    if (!RVStillImage::saveJpeg(image, *path, &error)) {
        qInfo().noquote() << "Write returned error:" << error;
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The file could not be saved: %1"
        m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_SAVE_FILE"), error));
    }
}

void RVMainViewController::stillFailed(const QString& message)
{
    if (!m_pendingStillName)
        return;
    m_pendingStillName.reset();
    // No save panel for a picture that does not exist: the user learns why instead. The
    // player has logged the failure.
    //% "Error"
    const QString title = qtTrId("ERROR_TITLE");
    //% "The still picture could not be taken: %1"
    m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_MAKE_SCREENSHOT"), message));
    resumeAfterStill();
}
