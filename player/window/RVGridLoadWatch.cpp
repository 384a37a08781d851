#include "player/window/RVGridLoadWatch.h"

#include "player/video/RVMpvPlayer.h"

#include <mpv/client.h>

namespace {
constexpr int kSampleMs = 2500;
constexpr qint64 kLongestStretchMs = 10000; // then a new stretch begins
} // namespace

RVGridLoadWatch::RVGridLoadWatch(RVMpvPlayer& player, QObject* parent)
    : QObject(parent), m_player(player)
{
    m_timer.setInterval(kSampleMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { sample(); });
}

void RVGridLoadWatch::setWatching(bool watching)
{
    m_dropsAtStart = -1;
    m_reported = false;
    if (watching)
        m_timer.start();
    else
        m_timer.stop();
}

bool RVGridLoadWatch::tooSlow(std::int64_t droppedFrames, double playedSeconds, double wallSeconds,
                              double fps)
{
    if (wallSeconds < 2.0)
        return false;
    return playedSeconds < 0.9 * wallSeconds ||
           (fps > 0.0 && double(droppedFrames) * 20.0 > playedSeconds * fps);
}

void RVGridLoadWatch::sample()
{
    // A stretch counts only while playing forward at normal speed in one file.
    std::int64_t drops = 0;
    mpv_handle* mpv = m_player.handle(m_player.activeHandleIndex());
    if (m_reported || !mpv || m_player.rate() != 1.0 ||
        mpv_get_property(mpv, "decoder-frame-drop-count", MPV_FORMAT_INT64, &drops) < 0) {
        m_dropsAtStart = -1;
        return;
    }
    const double position = m_player.currentTime();
    if (m_dropsAtStart < 0 || drops < m_dropsAtStart || position < m_positionAtStart ||
        m_clock.elapsed() > kLongestStretchMs) {
        m_dropsAtStart = drops;
        m_positionAtStart = position;
        m_clock.start();
        return;
    }
    if (tooSlow(drops - m_dropsAtStart, position - m_positionAtStart,
                double(m_clock.elapsed()) / 1000.0, m_player.framesPerSecond())) {
        m_reported = true;
        Q_EMIT cannotKeepUp();
    }
}
