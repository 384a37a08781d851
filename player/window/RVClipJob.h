#pragma once

#include "clip/RVClipRequest.h"

#include <QObject>

#include <atomic>
#include <thread>

// One clip export on a thread of its own, so the window stays usable while it runs. The
// engine's progress comes back as queued signals on the owner's (GUI) thread, at most every
// kProgressIntervalMs; finished() comes last, once the thread has ended. Deleting the job
// cancels the export and waits for its thread (the engine removes what it had written).
class RVClipJob final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kProgressIntervalMs = 100;

    explicit RVClipJob(QObject* parent = nullptr);
    ~RVClipJob() override;

    bool isRunning() const { return m_running; }
    // Starts the export; false (and nothing started) while another one runs.
    bool start(RVClipRequest request);
    // Asks the running export to stop; finished() follows with result.cancelled.
    void cancel() { m_cancel.store(true); }

Q_SIGNALS:
    // Fraction of the clip done (0..1) and the seconds left (negative while unknown).
    void progress(double fraction, double secondsLeft);
    void finished(const RVClipResult& result, const QString& outputPath);

private:
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};
