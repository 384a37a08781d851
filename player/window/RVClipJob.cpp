#include "player/window/RVClipJob.h"

#include "clip/RVClipExporter.h"

#include <QMetaObject>

#include <chrono>
#include <utility>

RVClipJob::RVClipJob(QObject* parent) : QObject(parent) {}

RVClipJob::~RVClipJob()
{
    m_cancel.store(true);
    // Reports the thread posted but this job never saw go with the job: Qt drops the events
    // of a deleted receiver.
    if (m_thread.joinable())
        m_thread.join();
}

bool RVClipJob::start(RVClipRequest request)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_running = true;
    m_cancel.store(false);
    m_thread = std::thread([this, request = std::move(request)] {
        using Clock = std::chrono::steady_clock;
        Clock::time_point lastReport;
        const auto report = [this, &lastReport](double fraction, double secondsLeft) {
            // The engine reports every frame; the bar needs far fewer.
            const Clock::time_point now = Clock::now();
            if (now - lastReport < std::chrono::milliseconds(kProgressIntervalMs))
                return;
            lastReport = now;
            QMetaObject::invokeMethod(
                this, [this, fraction, secondsLeft] { Q_EMIT progress(fraction, secondsLeft); },
                Qt::QueuedConnection);
        };
        const RVClipResult result = RVClipExporter::exportClip(request, m_cancel, report);
        QMetaObject::invokeMethod(
            this,
            [this, result, path = request.outputPath] {
                if (m_thread.joinable())
                    m_thread.join();
                m_running = false;
                Q_EMIT finished(result, path);
            },
            Qt::QueuedConnection);
    });
    return true;
}
