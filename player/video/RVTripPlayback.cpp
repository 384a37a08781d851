#include "player/video/RVTripPlayback.h"

#include "core/platform/RVPlatformFile.h"
#include "player/video/RVMpvPlayer.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QtDebug>

#include <algorithm>
#include <optional>

namespace {
constexpr double kJumpSeconds = 6.0;
constexpr double kFastRateStep = 2.0;
// Backward play goes on this far before the end of the file before: a start at the very end
// would be the end of the file. A file whose picture ends earlier than its length says (a
// sound track running on, say) reports its end instead; the start then moves back further,
// twice as far each time.
constexpr double kBackwardJoinSeconds = 0.04;
} // namespace

RVTripPlayback::RVTripPlayback(RVMpvPlayer& player, QObject* parent)
    : QObject(parent), m_player(player)
{
    connect(&m_player, &RVMpvPlayer::itemReady, this, [this] { onItemStatusChanged(true, {}); });
    connect(&m_player, &RVMpvPlayer::itemFailed, this,
            [this](const QString& message) { onItemStatusChanged(false, message); });
    connect(&m_player, &RVMpvPlayer::rateChanged, this, [this](double rate) {
        if (rate < 0.0)
            m_reverseRate = rate;
        // Nothing is opened ahead while playing backward: the player would move on into the
        // later file by itself at an end. Whoever shows the rate hears of the change.
        if (rate != 0.0)
            queueNextFile();
        onTick(m_player.currentTime());
    });
    connect(&m_player, &RVMpvPlayer::endReached, this, &RVTripPlayback::itemDidFinishPlaying);
    connect(&m_player, &RVMpvPlayer::startReached, this, &RVTripPlayback::itemReachedStart);
    connect(&m_player, &RVMpvPlayer::tick, this, &RVTripPlayback::onTick);
}

namespace {

// Only regular files are played: a pipe or a device in a file's place (a card changed under
// the player, a planted name) would stall the player's reads for good. Asked as each file is
// opened, since the card may have changed since it was listed.
bool playableFile(const QString& path)
{
    return RVPlatformFile::stat(path).kind == RVPlatformFile::Kind::Regular;
}

QString parentOf(const QString& path)
{
    return path.left(std::max<qsizetype>(0, path.lastIndexOf(QLatin1Char('/'))));
}

bool isFolder(const QString& path)
{
    return RVPlatformFile::stat(path).kind == RVPlatformFile::Kind::Directory;
}

// When the file's folder is gone or cannot be examined any more (a card pulled, its file
// system driver gone), the outermost folder of its path that is: the card's mount point.
// Nothing for a file missing from a folder that is there (a deleted recording).
std::optional<QString> removedCard(const QString& path)
{
    QString gone = parentOf(path);
    if (gone.isEmpty() || isFolder(gone))
        return std::nullopt;
    while (!parentOf(gone).isEmpty() && !isFolder(parentOf(gone)))
        gone = parentOf(gone);
    return gone;
}

} // namespace

RVVideoFilePtr RVTripPlayback::fileOfPath(const QString& path) const
{
    const std::optional<std::size_t> index = m_node ? m_timeline.indexOf(path) : std::nullopt;
    return index ? m_node->files()[*index] : nullptr;
}

bool RVTripPlayback::holdsAnyOf(const RVVideoDataPtr& other) const
{
    if (!other || !m_node)
        return false;
    for (const RVVideoFilePtr& file : other->files()) {
        if (fileOfPath(file->filePath()))
            return true;
    }
    return false;
}

double RVTripPlayback::duration() const
{
    return m_node ? double(m_node->duration()) : 0.0;
}

double RVTripPlayback::currentTime() const
{
    return m_player.currentTime();
}

double RVTripPlayback::tripTime() const
{
    return m_timeline.start(m_index) + currentTime();
}

void RVTripPlayback::start(const RVVideoDataPtr& node)
{
    if (!node || node->files().empty())
        return;
    const bool setUp = m_node != nullptr;
    m_node = node;
    m_timeline = RVTripTimeline(node->files());
    m_index = 0;
    m_path = m_timeline.path(0);
    m_atEndOfNode = false;
    Q_EMIT opening(true);
    if (!playableFile(m_path)) {
        handleError(QStringLiteral("not a regular file"));
        return;
    }
    if (setUp) {
        // Playback is set up: replace the file, leaving the play state as it is.
        m_player.load(m_path, 0.0, m_player.rate() == 0.0, viewsOfFile(m_path));
    } else {
        // The first file since start or since an error: once it is ready, it plays.
        m_awaitingFirstSetUp = true;
        m_player.load(m_path, 0.0, false, viewsOfFile(m_path));
    }
    queueNextFile();
    m_player.play();
}

void RVTripPlayback::open(std::size_t index)
{
    m_index = index;
    m_path = m_timeline.path(index);
    m_atEndOfNode = false;
    Q_EMIT opening(false);
    if (!playableFile(m_path)) {
        handleError(QStringLiteral("not a regular file"));
        return;
    }
    m_player.load(m_path, 0.0, m_player.rate() == 0.0, viewsOfFile(m_path));
    queueNextFile();
}

void RVTripPlayback::reset()
{
    m_node.reset();
    m_timeline = {};
    m_index = 0;
    m_path.clear();
    m_awaitingFirstSetUp = false;
    m_atEndOfNode = false;
}

void RVTripPlayback::stop()
{
    m_player.unload();
    m_player.setNextPath(QString());
    reset();
    Q_EMIT readyChanged(false);
}

QString RVTripPlayback::nextFilePath() const
{
    const std::optional<std::size_t> next = m_node ? m_timeline.next(m_index) : std::nullopt;
    return next ? m_timeline.path(*next) : QString();
}

bool RVTripPlayback::playingBackward() const
{
    return m_player.rate() < 0.0;
}

void RVTripPlayback::queueNextFile()
{
    // Lets the player open the trip's next file ahead of time so the join is seamless.
    // Nothing is opened ahead while playing backward, and a file that is no regular file is
    // never opened ahead: its turn skips it.
    const QString next = playingBackward() ? QString() : nextFilePath();
    if (next.isEmpty() || !playableFile(next))
        m_player.setNextPath(QString());
    else
        m_player.setNextPath(next, viewsOfFile(next));
}

void RVTripPlayback::onItemStatusChanged(bool ready, const QString& error)
{
    if (!ready && !error.isEmpty())
        handleError(error);
    Q_EMIT readyChanged(ready);
    if (ready && m_awaitingFirstSetUp) {
        m_awaitingFirstSetUp = false;
        m_player.play();
    }
}

void RVTripPlayback::handleError(const QString& error)
{
    qInfo().noquote() << "Cannot play" << m_path << ":" << error;
    if (const std::optional<QString> card = removedCard(m_path)) {
        reset();
        m_player.setNextPath(QString());
        QMetaObject::invokeMethod(
            this, [this, card = *card] { Q_EMIT cardRemoved(card); }, Qt::QueuedConnection);
        return;
    }
    const QString fileName = QFileInfo(m_path).fileName();
    if (!nextFilePath().isEmpty()) {
        // One unreadable recording does not end its trip: the next one plays. Queued, so that
        // the player has finished reporting the failure first.
        Q_EMIT fileSkipped(fileName);
        QMetaObject::invokeMethod(
            this,
            [this, node = m_node] {
                if (m_node == node)
                    itemDidFinishPlaying();
            },
            Qt::QueuedConnection);
        return;
    }
    reset();
    m_player.setNextPath(QString());
    // Receivers may show a modal alert: it comes once the player's notification has returned.
    QMetaObject::invokeMethod(
        this, [this, fileName] { Q_EMIT failed(fileName); }, Qt::QueuedConnection);
}

void RVTripPlayback::onTick(double seconds)
{
    const double length = duration();
    if (!m_node || length <= 0.0)
        return;
    const double tripSeconds = m_timeline.start(m_index) + seconds;
    Q_EMIT ticked(tripSeconds, seconds, tripSeconds / length);
}

void RVTripPlayback::setCurrentTime(double seconds)
{
    // Seeks are exact, to the frame at the time asked; a seek while playing forward resumes at
    // normal speed, while paused or playing backward the play state stays.
    const double rate = m_player.rate();
    if (rate > 0)
        m_player.pause();
    m_atEndOfNode = false;
    m_player.seek(std::max(0.0, seconds));
    if (rate > 0)
        m_player.play();
}

void RVTripPlayback::togglePlayPause()
{
    // Nothing loaded: there is nothing to play or pause.
    if (!m_node)
        return;
    if (m_player.rate() != 0.0) {
        m_player.pause();
        return;
    }
    if (isAtEndOfNode())
        seekToTripTime(0.0);
    m_player.play();
}

bool RVTripPlayback::isAtEndOfNode() const
{
    if (!m_node)
        return false;
    // The last file ran to its end, or a single recording sits exactly at its end.
    return m_atEndOfNode || currentTime() == duration();
}

void RVTripPlayback::forward()
{
    if (!m_node)
        return;
    const double rate = m_player.rate();
    m_player.setRate(rate < kFastRateStep ? kFastRateStep : rate + kFastRateStep);
}

void RVTripPlayback::rewind()
{
    if (!m_node)
        return;
    const double rate = m_player.rate();
    m_player.setRate(rate > -kFastRateStep ? -kFastRateStep : rate - kFastRateStep);
}

void RVTripPlayback::stepFrame(int direction)
{
    if (!m_node)
        return;
    m_player.pause();
    m_player.stepFrame(direction);
}

void RVTripPlayback::jump(int direction)
{
    if (!m_node)
        return;
    if (direction > 0)
        seekToTripTime(std::min(tripTime() + kJumpSeconds, duration()));
    else
        seekToTripTime(std::max(tripTime() - kJumpSeconds, 0.0));
}

void RVTripPlayback::seekToFraction(double fraction)
{
    const double length = duration();
    if (!m_node || !(length > 0.0))
        return;
    // Clicks in the slider's margins land slightly outside 0..1.
    seekToTripTime(std::clamp(fraction, 0.0, 1.0) * length);
}

void RVTripPlayback::seekToTripTime(double tripSeconds)
{
    if (!m_node)
        return;
    // Loads the file holding this time if needed, then seeks in it.
    const std::optional<RVTripTimeline::Place> place = m_timeline.locate(tripSeconds);
    if (!place)
        return;
    if (place->index != m_index)
        open(place->index);
    setCurrentTime(place->fileSeconds);
}

void RVTripPlayback::itemDidFinishPlaying()
{
    if (!m_node)
        return;
    if (playingBackward()) {
        // A backward join started past the last picture of the file: go on backward from
        // further before its end, in this file.
        m_backwardBackOff = std::max(kBackwardJoinSeconds, 2.0 * m_backwardBackOff);
        double end = m_timeline.length(m_index);
        if (m_player.duration() > 0.0)
            end = std::min(end, m_player.duration());
        const double start = std::max(0.0, end - m_backwardBackOff);
        m_player.seek(start);
        m_player.setRate(m_reverseRate);
        return;
    }
    const std::optional<std::size_t> next = m_timeline.next(m_index);
    if (!next) {
        // The trip's last file: the player stays on its last frame, and it stays current.
        m_atEndOfNode = true;
        return;
    }
    // The end came while playing forwards, so the next file plays on (the player has usually
    // opened it already and only confirms it).
    m_index = *next;
    m_path = m_timeline.path(m_index);
    m_backwardBackOff = 0.0;
    m_player.load(m_path, 0.0, false, viewsOfFile(m_path));
    queueNextFile();
}

void RVTripPlayback::itemReachedStart()
{
    // Playing backward reached the start of a file: go on from the end of the trip's file
    // before it at the same rate. Files whose length is unknown could not be read and are
    // passed over.
    if (!m_node || !(m_reverseRate < 0.0))
        return;
    const std::optional<std::size_t> previous = m_timeline.previousWithLength(m_index);
    if (!previous)
        return; // the trip's start: the player stays paused on its first frame
    // With the views chosen, as every other file of the trip.
    m_index = *previous;
    m_path = m_timeline.path(m_index);
    m_atEndOfNode = false;
    m_backwardBackOff = kBackwardJoinSeconds;
    m_player.load(m_path, std::max(0.0, m_timeline.length(m_index) - kBackwardJoinSeconds), true,
                  viewsOfFile(m_path));
    m_player.setRate(m_reverseRate);
    queueNextFile();
}

void RVTripPlayback::setViewChoice(const RVViewChoice& choice)
{
    m_viewChoice = choice;
    if (!m_node || m_path.isEmpty())
        return;
    m_player.setViews(viewsOfFile(m_path), viewsOfFile(nextFilePath()));
}

RVViewSources RVTripPlayback::viewsOfFile(const QString& path) const
{
    const RVVideoFilePtr file = fileOfPath(path);
    if (!file)
        return {};
    // Another camera's view that is no regular file is left out, as if the recording had none.
    std::vector<RVVideoView> views;
    for (const RVVideoView& view : file->views()) {
        if (view.filePath != path && !playableFile(view.filePath))
            qInfo().noquote() << "Not showing" << view.filePath << ": not a regular file";
        else
            views.push_back(view);
    }
    return RVViewLayout::sourcesFor(views, path, m_viewChoice);
}

QString RVTripPlayback::shownViewPath(const QString& path) const
{
    const RVVideoFilePtr file = fileOfPath(path);
    return file ? RVViewLayout::mainViewPath(file->views(), path, m_viewChoice) : path;
}
