#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>

class RVMpvPlayer;

// Watches a grid of views while it plays: when the decoders cannot keep up, the grid would
// stutter, and fewer views are better. Decoding too slow shows as playback that falls behind
// the clock (recordings without sound play by the clock of their frames) or as frames mpv
// drops before decoding them; frames the display drops do not count, as a slow display
// drops frames of any layout.
class RVGridLoadWatch final : public QObject
{
    Q_OBJECT

public:
    explicit RVGridLoadWatch(RVMpvPlayer& player, QObject* parent = nullptr);

    // Watching runs while a grid is shown; off otherwise.
    void setWatching(bool watching);

    // Whether a stretch of at least two seconds at normal speed means the grid cannot keep
    // up: it played less than nine tenths of the time that passed, or the decoders dropped
    // more than one frame in twenty.
    static bool tooSlow(std::int64_t droppedFrames, double playedSeconds, double wallSeconds,
                        double fps);

Q_SIGNALS:
    // The grid cannot keep up; sent once per watching.
    void cannotKeepUp();

private:
    void sample();

    RVMpvPlayer& m_player;
    QTimer m_timer;
    std::int64_t m_dropsAtStart = -1;
    double m_positionAtStart = 0.0;
    QElapsedTimer m_clock;
    bool m_reported = false;
};
