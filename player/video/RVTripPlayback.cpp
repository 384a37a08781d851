#include "player/video/RVTripPlayback.h"

#include "core/platform/RVPlatformFile.h"
#include "library/RVVideoList.h"
#include "player/video/RVMpvPlayer.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QtDebug>

#include <algorithm>

namespace {
constexpr double kJumpSeconds = 6.0;
constexpr double kFastRateStep = 2.0;
// Backward play goes on this far before the end of the file before: a start at the very end
// would be the end of the file.
constexpr double kBackwardJoinSeconds = 0.04;
} // namespace

RVTripPlayback::RVTripPlayback(RVMpvPlayer& player, RVVideoList& videoList, QObject* parent)
    : QObject(parent), m_player(player), m_videoList(videoList)
{
    connect(&m_player, &RVMpvPlayer::itemReady, this, [this] { onItemStatusChanged(true, {}); });
    connect(&m_player, &RVMpvPlayer::itemFailed, this,
            [this](const QString& message) { onItemStatusChanged(false, message); });
    connect(&m_player, &RVMpvPlayer::rateChanged, this, [this](double rate) {
        if (rate < 0.0)
            m_reverseRate = rate;
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

} // namespace

RVVideoFilePtr RVTripPlayback::fileOfPath(const QString& path) const
{
    if (!m_node)
        return nullptr;
    const RVVideoFileList& files = m_node->files();
    const auto found = std::find_if(files.begin(), files.end(), [&](const RVVideoFilePtr& file) {
        return file->filePath() == path;
    });
    return found == files.end() ? nullptr : *found;
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
    return m_videoList.getCurrentFileTimeOffset() + currentTime();
}

void RVTripPlayback::start(const RVVideoDataPtr& node)
{
    if (!node)
        return;
    const bool setUp = m_node != nullptr;
    m_node = node;
    m_path = m_videoList.openVideoData(node);
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

void RVTripPlayback::open(const QString& path, bool newNode)
{
    m_path = path;
    m_atEndOfNode = false;
    Q_EMIT opening(newNode);
    if (!playableFile(path)) {
        handleError(QStringLiteral("not a regular file"));
        return;
    }
    m_player.load(path, 0.0, m_player.rate() == 0.0, viewsOfFile(path));
    queueNextFile();
}

void RVTripPlayback::reset()
{
    m_node.reset();
    m_path.clear();
    m_awaitingFirstSetUp = false;
    m_atEndOfNode = false;
}

void RVTripPlayback::stop()
{
    m_player.unload();
    m_player.setNextPath(QString());
    reset();
    m_videoList.setPlayingVideo(nullptr);
    Q_EMIT readyChanged(false);
}

QString RVTripPlayback::nextFilePath() const
{
    if (!m_node)
        return {};
    const RVVideoFileList& files = m_node->files();
    const int index = m_videoList.playingFileInVideoIndex();
    if (index >= 0 && index + 1 < int(files.size()))
        return files[std::size_t(index) + 1]->filePath();
    return {};
}

void RVTripPlayback::queueNextFile()
{
    // Lets the player open the trip's next file ahead of time so the join is seamless.
    // One that is no regular file is not opened ahead; its turn skips it.
    const QString next = nextFilePath();
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
    const double tripSeconds = m_videoList.getCurrentFileTimeOffset() + seconds;
    Q_EMIT ticked(tripSeconds, tripSeconds / length);
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
    if (m_player.rate() == 1.0) {
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
    const std::optional<RVSeekResult> found =
        m_videoList.getPathToVideoByTimeOffset(tripSeconds, true);
    if (found && found->newPath)
        open(*found->newPath, false);
    setCurrentTime(tripSeconds - (found ? found->offsetInFile : 0.0));
}

void RVTripPlayback::itemDidFinishPlaying()
{
    if (!m_node)
        return;
    const std::optional<QString> next = m_videoList.getNextFilePath();
    if (!next) {
        // The trip's last file: the player stays on its last frame.
        m_atEndOfNode = true;
        return;
    }
    // The end came while playing forwards, so the next file plays on (the player has usually
    // opened it already and only confirms it).
    m_path = *next;
    m_player.load(*next, 0.0, false, viewsOfFile(*next));
    queueNextFile();
}

void RVTripPlayback::itemReachedStart()
{
    // Playing backward reached the start of a file: go on from the end of the trip's file
    // before it at the same rate. Files whose length is unknown could not be read and are
    // passed over.
    if (!m_node || !(m_reverseRate < 0.0))
        return;
    const RVVideoFileList& files = m_node->files();
    int index = std::min(m_videoList.playingFileInVideoIndex(), int(files.size()));
    while (--index >= 0 && !(files[std::size_t(index)]->duration() > 0.0f)) {
    }
    if (index < 0)
        return; // the trip's start: the player stays paused on its first frame
    m_videoList.setPlayingFileInVideoIndex(index);
    const RVVideoFilePtr& file = files[std::size_t(index)];
    m_path = file->filePath();
    m_atEndOfNode = false;
    m_player.load(m_path, std::max(0.0, double(file->duration()) - kBackwardJoinSeconds), true);
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
    const RVViewSources sources = RVViewLayout::sourcesFor(file->views(), path, m_viewChoice);
    // Another camera's view that is no regular file is left out: the played file shows alone.
    if (!sources.externalFile.isEmpty() && !playableFile(sources.externalFile)) {
        qInfo().noquote() << "Not showing" << sources.externalFile << ": not a regular file";
        return {};
    }
    return sources;
}

QString RVTripPlayback::shownViewPath(const QString& path) const
{
    const RVVideoFilePtr file = fileOfPath(path);
    return file ? RVViewLayout::mainViewPath(file->views(), path, m_viewChoice) : path;
}
