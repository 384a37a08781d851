#pragma once

#include "player/video/RVMpvHandle.h"
#include "player/video/RVMpvPreloader.h"
#include "player/video/RVMpvRendering.h"
#include "player/video/RVReversePacer.h"
#include "player/video/RVViewLayout.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;

// The one media player of the window, on libmpv. It holds one file at a time and reports time
// within that file; RVTripPlayback maps a trip's time line onto files.
//
// Two mpv handles take turns: the active one plays the current file, the other opens the
// trip's next file ahead of time and decodes its first frame while paused (RVMpvPreloader). At the
// end of the current file the two change places, so the join shows the next file's first frame at
// once instead of waiting for a decoder to start from cold (about 70 ms for a 1080p key frame in
// software, more than two frames).
//
// The GUI thread owns the mpv handles (RVMpvHandle) and only makes non-blocking calls
// (asynchronous commands and property reads and sets, each with its own callback, and observed
// properties). mpv's wakeup callback only posts a queued call to the GUI thread, which then
// drains mpv's events. Position is observed and cached, not
// signalled per frame; `tick` reports it every 1/10 s while time advances.
//
// A recording with several cameras: each file comes with the views to show with it (see
// RVViewSources). They are decoded and put together in the same mpv handle, so every view
// shown follows the played file's clock frame by frame through plays, seeks, steps and joins.
//
// Rates: 0 is paused, positive rates play forward at that speed, negative rates play
// backward. Backward play does not use mpv's backward mode (seen to freeze on clips with long
// key-frame intervals); it is a paced chain of exact seeks, see RVReversePacer.
class RVMpvPlayer final : public QObject, public RVMpvRenderSource
{
    Q_OBJECT

public:
    // mpv options beyond the player's own (for example {"ao", "null"} where there is no sound).
    using Options = RVMpvHandle::Options;

    explicit RVMpvPlayer(const Options& extraOptions = {}, QObject* parent = nullptr);
    ~RVMpvPlayer() override;

    // False when mpv could not be created; errorString() says why. Every call then does nothing.
    bool isValid() const { return m_mpv != nullptr; }
    QString errorString() const { return m_error; }

    // Puts `path` into the player, starting at `startSeconds`. With `paused` false it plays at
    // the current rate (1 when paused). If `path` is the file the player already moved on to
    // by itself (see setNextPath) with the same views, nothing is reloaded.
    void load(const QString& path, double startSeconds = 0.0, bool paused = false,
              const RVViewSources& views = {});
    // The file that follows the current one. The second handle opens it ahead of time, and at
    // the end of the current file the player plays on into it without restarting from cold;
    // it then emits endReached for the finished file and treats `path` as current (or reports
    // itemFailed when the queued file could not be opened). An empty path forgets it.
    void setNextPath(const QString& path, const RVViewSources& views = {});
    // Shows other views of the current file (and of the queued next one) from the current
    // position on, keeping the rate: the file is opened again with them at that position.
    void setViews(const RVViewSources& current, const RVViewSources& next);
    // Stops playback and empties the player.
    void unload();

    void play() { setRate(1.0); }
    void pause() { setRate(0.0); }
    void setRate(double rate);
    double rate() const { return m_rate; }

    // Exact seek within the current file; currentTime() reports the target at once.
    void seek(double seconds);
    // Pauses, then moves exactly one frame forward (+1) or back (-1).
    void stepFrame(int direction);

    // Position in the current file, in seconds, as of the last observation.
    double currentTime() const { return m_file.position; }
    // Length of the current file in seconds (0 until it is ready).
    double duration() const { return m_file.duration; }
    // Size of the video in pixels, and its frame rate (0 when unknown).
    QSize videoSize() const { return m_file.videoSize; }
    double framesPerSecond() const { return m_file.fps; }
    QString currentPath() const { return m_file.path; }
    bool isReady() const { return m_file.ready; }

    // Asks for the frame on screen at the video's own size, scaled to fit into `maximumSize`
    // (keeping its aspect ratio); the answer is stillReady or stillFailed.
    void grabStill(QSize maximumSize);
    // Shows an enlarged part of the video: zoom is log2 of the scale relative to the fitted
    // picture, pan moves it by fractions of its scaled size (0, 0, 0 is the fitted picture).
    void setVideoZoom(double zoomLog2, double panX, double panY);

    // For the video surface: the two handles it makes render contexts for, which of them
    // plays the current file, and the surface itself, so that the render contexts can be
    // freed before the handles and the surface hears when the handles change places.
    mpv_handle* handle(int index) const override;
    int activeHandleIndex() const override;
    void setRenderTarget(RVMpvRenderTarget* target) override;

Q_SIGNALS:
    // The current file was opened; duration(), videoSize() and framesPerSecond() are known.
    void itemReady();
    // The current file could not be played; the message is one plain line.
    void itemFailed(const QString& message);
    // The current file played to its end (forward). At the last file the player pauses on the
    // last frame; with a next path queued, it has already moved on into that file.
    void endReached();
    // Backward play arrived at the start of the file and stopped there.
    void startReached();
    // The first frame of the current file is on screen.
    void firstFrameShown();
    // A seek or frame step has finished and its frame is on screen.
    void seekFinished(double seconds);
    void rateChanged(double rate);
    // Every 1/10 s while time advances, and once after each jump, with currentTime().
    void tick(double seconds);
    void stillReady(const QImage& image);
    void stillFailed(const QString& message);

private:
    struct Entry
    {
        QString path;
        std::int64_t mpvId = -1; // mpv's playlist entry id; -1 until loadfile answered
        RVViewSources views;
    };
    // The current file: what mpv was told to play, and everything known or asked about it.
    // Nothing of it carries over to the next file (see beginFile).
    struct CurrentFile : Entry
    {
        bool ready = false; // duration, size and frame rate are known
        bool firstFrameShown = false;
        bool atEnd = false; // played to its end; mpv keeps its last frame
        double position = 0.0;
        double duration = 0.0;
        double fps = 0.0;
        QSize videoSize;
        // One operation that ends with mpv's playback restart is in flight at a time (a load,
        // a seek or a step back); newer requests wait here and the latest seek wins.
        bool restartPending = false;
        std::optional<double> queuedSeek;
        int queuedBackSteps = 0;
        bool reportNextRestart = false;
        bool forwardStepPending = false; // frame-step gives no restart, only a new position
    };
    using Notes = std::vector<std::function<void()>>;
    using Reply = RVMpvHandle::Reply;

    static void onWakeup(void* context);
    void drainEvents();
    // Signals found while draining go out once both handles are drained; at other times now.
    void later(std::function<void()> note);
    void handleEvent(const mpv_event& event);
    void onPositionChanged(double seconds);
    // Reads a property of the current file; `use` runs only while that file is still current
    // (askAboutCurrent) or nothing was loaded since (askAboutLoad).
    void askAboutCurrent(const char* name, int format, std::function<void(const Reply&)> use);
    void askAboutLoad(const char* name, int format, std::function<void(const Reply&)> use);
    void requestCurrentInfo();
    void requestVideoSize();
    void handleRestart();
    void askRestartPosition();
    void handleEndOfFile(std::int64_t entryId, int reason, int error);
    void handleEofReached();
    void beginFile(Entry entry, double position);
    void moveOnToNext();
    // Has the spare handle open the queued next file.
    void startNext();
    QByteArray fileOptions(double startSeconds, const RVViewSources& views) const;
    void showCurrentFileAlone();

    // A seek or step back: one that mpv refuses lets the next queued operation go.
    void restartingCommand(std::initializer_list<QByteArray> args);
    void issueSeek(double seconds);
    bool runQueuedOperation();
    void applyRate(double rate);
    void setReportedRate(double rate);
    void reverseStep();
    double wallSeconds() const;
    void updateTickTimer();

    std::unique_ptr<RVMpvHandle> m_handles[kHandleCount];
    RVMpvHandle* m_mpv = nullptr;   // the active handle: plays the current file
    RVMpvHandle* m_spare = nullptr; // opens the next file ahead of time
    QString m_error;
    RVMpvRenderTarget* m_target = nullptr; // the surface drawing the handles' frames
    std::atomic<bool> m_wakeupPosted{false};
    bool m_draining = false;
    Notes m_notes;

    CurrentFile m_file;
    RVMpvPreloader m_preloader;          // the next file, in m_spare
    std::int64_t m_playingEntryId = -1;  // the entry the active handle started last
    bool m_hwdecChecked = false;         // which decoder a file used has been asked
    bool m_softwareDecodingOnly = false; // no hardware decoder was usable
    bool m_advancedOnItsOwn = false;     // the player moved on into m_next by itself
    std::uint64_t m_loadSerial = 0;

    double m_rate = 0.0;

    RVReversePacer m_pacer;
    bool m_reverse = false;
    QTimer m_reverseTimer;
    QTimer m_tickTimer;
    QElapsedTimer m_clock;
    std::uint64_t m_zoomSerial = 0; // the latest setVideoZoom, told from earlier ones
};
