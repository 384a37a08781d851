#pragma once

#include "clip/RVClipRequest.h"

#include <atomic>
#include <chrono>

// The two ways the exporter makes a clip. Both are called with a request that has been
// checked (a range of positive length, at least one source, an output path).

// Copies one view's video (and the first view's sound when asked) without re-encoding.
RVClipResult copyClip(const RVClipRequest& request, int view, const std::atomic<bool>& cancel,
                      const RVClipProgress& progress);
// Decodes the views, composes them with the read-outs and encodes H.264 with AAC sound; on
// a VAAPI device when tryHardware (and the request allows it) and one opens.
RVClipResult encodeClip(const RVClipRequest& request, const std::atomic<bool>& cancel,
                        const RVClipProgress& progress, bool tryHardware);

// Turns "done up to trip second t" into a fraction and an estimate of the time left, at most
// a few times a second.
class RVClipPace final
{
public:
    RVClipPace(const RVClipRequest& request, const RVClipProgress& progress);
    void reached(double tripSeconds);

private:
    using Clock = std::chrono::steady_clock;
    const RVClipProgress& m_progress;
    double m_from, m_length;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastReport{};
};

// The file of view `view` of source `index`, or empty when the recording lacks that view.
QString sourceViewPath(const RVClipRequest& request, std::size_t index, int view);
