#pragma once

#include "library/RVVideoData.h"
#include "player/video/RVViewLayout.h"

#include <QObject>
#include <QString>

class RVMpvPlayer;
class RVVideoList;

// Plays a library node (a trip or a single recording) as one continuous piece on the one
// media player. The player holds one file of the node at a time; this runs on into the next
// file at the end of each (and into the one before when playing backward), maps positions on
// the node's time line to a file and a position in it (through the video list), and turns the
// player's ticks into trip time.
//
// Times: the player reports seconds within the file it holds; trip time is that plus the
// file's start offset on the node's time line (the sum of the durations of the files before
// it, from the video list). Fractions are fractions of the node's duration.
//
// It knows nothing of the window: what the views show follows its signals.
class RVTripPlayback final : public QObject
{
    Q_OBJECT

public:
    RVTripPlayback(RVMpvPlayer& player, RVVideoList& videoList, QObject* parent = nullptr);

    // The playing node and the file of it in the player; null and empty when idle.
    const RVVideoDataPtr& node() const { return m_node; }
    const QString& currentPath() const { return m_path; }
    // The recording of the playing node at `path` (the current file by default), or null.
    RVVideoFilePtr fileOfPath(const QString& path) const;
    RVVideoFilePtr currentFile() const { return fileOfPath(m_path); }
    // Whether the playing node holds any recording of `other`.
    bool holdsAnyOf(const RVVideoDataPtr& other) const;

    // Seconds: the length of the playing node, the position in the file in the player, and
    // the position on the node's time line.
    double duration() const;
    double currentTime() const;
    double tripTime() const;

    // Puts `node` into the player from its start and plays it.
    void start(const RVVideoDataPtr& node);
    // Ends playback and empties the player; nothing plays until the next start.
    void stop();

    // Pauses at normal speed; otherwise plays at normal speed, from the node's start when it
    // stands at its end.
    void togglePlayPause();
    // Fast forward and rewind in steps of 2x; the first step from any other direction goes
    // to 2x that way.
    void forward();
    void rewind();
    // Pauses, then one frame forward (+1) or back (-1).
    void stepFrame(int direction);
    // Jumps 6 s forward (+1) or back (-1) on the node's time line, stopping at its ends.
    void jump(int direction);
    void seekToTripTime(double tripSeconds);
    // A fraction of the node's length; values slightly outside 0..1 land on its ends.
    void seekToFraction(double fraction);

    // Which camera views the player shows with each file.
    const RVViewChoice& viewChoice() const { return m_viewChoice; }
    void setViewChoice(const RVViewChoice& choice);
    // The views the player shows with a file of the playing node, and the file of the main
    // view (what stills and thumbnails show).
    RVViewSources viewsOfFile(const QString& path) const;
    QString shownViewPath(const QString& path) const;

Q_SIGNALS:
    // A file of the playing node goes into the player; `newNode` when it is the first of a
    // node just started. The node and the path are already current.
    void opening(bool newNode);
    // The controls that need a ready file are usable or not.
    void readyChanged(bool ready);
    // Every 1/10 s while time advances and after each jump, with the position on the node's
    // time line in seconds and as a fraction of its length.
    void ticked(double tripSeconds, double fraction);
    // A file of the node could not be played and the next one plays instead.
    void fileSkipped(const QString& fileName);
    // A file could not be played and playback has ended; the player is back to idle.
    void failed(const QString& fileName);

private:
    void open(const QString& path, bool newNode);
    void onItemStatusChanged(bool ready, const QString& error);
    void handleError(const QString& error);
    void onTick(double seconds);
    void itemDidFinishPlaying();
    void itemReachedStart();
    void setCurrentTime(double seconds);
    bool isAtEndOfNode() const;
    QString nextFilePath() const;
    void queueNextFile();
    void reset();

    RVMpvPlayer& m_player;
    RVVideoList& m_videoList;
    RVViewChoice m_viewChoice;

    RVVideoDataPtr m_node;
    QString m_path;
    bool m_awaitingFirstSetUp = false; // the first file since start or an error is loading
    bool m_atEndOfNode = false;        // the node's last file ran to its end
    double m_reverseRate = 0.0;        // the latest backward rate, to go on with in the next file
};
