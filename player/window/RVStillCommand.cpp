#include "player/window/RVStillCommand.h"

#include "core/RVAtomicFile.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVStillImage.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVSaveFolder.h"
#include "player/window/RVWindowDialogs.h"

#include <QDateTime>
#include <QtDebug>

#include <cmath>
#include <utility>

namespace {

QString withDetail(QString format, const QString& detail)
{
    if (format.contains(QLatin1String("%1")))
        return format.arg(detail);
    // A text without a place for the detail (no translation): the detail still shows.
    return format + QLatin1Char(' ') + detail;
}
} // namespace

RVStillCommand::RVStillCommand(RVMpvPlayer& player, RVTripPlayback& playback,
                               std::shared_ptr<RVWindowDialogs> dialogs, ChoosePath choosePath,
                               Position position, QObject* parent)
    : QObject(parent), m_player(player), m_playback(playback), m_dialogs(std::move(dialogs)),
      m_choosePath(std::move(choosePath)), m_position(std::move(position))
{
    // The save panel is modal: it opens once the player's notification has returned.
    connect(&m_player, &RVMpvPlayer::stillReady, this, &RVStillCommand::save, Qt::QueuedConnection);
    connect(&m_player, &RVMpvPlayer::stillFailed, this, &RVStillCommand::failed,
            Qt::QueuedConnection);
}

void RVStillCommand::take()
{
    if (!m_playback.node())
        return; // no video, nothing to save
    // Named after the file and the clock time of the frame on screen when asked.
    const RVVideoFilePtr file = m_playback.currentFile();
    const QDateTime fileStart = file ? file->created().toDateTime() : QDateTime();
    // Paused from the command on (playing on could cross into the next file before the grab).
    if (!m_pendingName)
        m_resumeRate = m_player.rate();
    m_player.pause();
    m_pendingName =
        RVSaveFolder::stillName(m_playback.currentPath(), fileStart, m_playback.currentTime());
    // The frame's instant in the computer's time zone, as the window's clock shows it.
    m_pendingTags = {};
    const double intoFile = m_playback.currentTime();
    if (fileStart.isValid() && std::isfinite(intoFile))
        m_pendingTags.frameTime =
            fileStart.addMSecs(qint64(std::llround(intoFile * 1000.0))).toLocalTime();
    if (const std::optional<RVPoint> fix = m_position ? m_position() : std::nullopt) {
        m_pendingTags.latitude = fix->latitudeValue();
        m_pendingTags.longitude = fix->longitudeValue();
        if (fix->velocity() >= 0)
            m_pendingTags.speedKmh = fix->velocity();
        m_pendingTags.gpsTime = fix->time().toDateTime();
    }
    m_player.grabStill(QSize(kStillMaximumSide, kStillMaximumSide));
}

void RVStillCommand::resume()
{
    const double rate = std::exchange(m_resumeRate, 0.0);
    if (rate != 0.0 && m_playback.node())
        m_player.setRate(rate);
}

void RVStillCommand::save(const QImage& image)
{
    if (!m_pendingName)
        return; // not asked for by this window
    const QString name = *m_pendingName;
    m_pendingName.reset();
    const std::optional<QString> path = m_choosePath(name);
    resume();
    if (!path)
        return;
    QString error;
    const std::optional<QByteArray> bytes =
        RVExifWriter::withExif(RVStillImage::jpegData(image), m_pendingTags, &error);
    // Aside, checked, synced and renamed: a full disk leaves no truncated picture.
    if (!bytes || !RVAtomicFile::writeAll(*path, *bytes, &error)) {
        qInfo().noquote() << "Write returned error:" << error;
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The file could not be saved: %1"
        m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_SAVE_FILE"), error));
    }
}

void RVStillCommand::failed(const QString& message)
{
    if (!m_pendingName)
        return;
    m_pendingName.reset();
    // No save panel for a picture that does not exist: the user learns why instead. The
    // player has logged the failure.
    //% "Error"
    const QString title = qtTrId("ERROR_TITLE");
    //% "The still picture could not be taken: %1"
    m_dialogs->alert(title, withDetail(qtTrId("ERROR_CANT_MAKE_SCREENSHOT"), message));
    resume();
}
