#pragma once

#include "clip/RVClipRequest.h"

#include <atomic>

// Makes a clip of a trip: checks the request, copies the camera's video where nothing is
// drawn, composed or scaled ("Original" of one view without read-outs) and re-encodes
// otherwise, then writes the evidence manifest beside the clip. Runs on the calling thread
// (the window calls it from a worker); cancel is polled between frames.
class RVClipExporter final
{
public:
    RVClipExporter() = delete;

    static RVClipResult exportClip(const RVClipRequest& request, const std::atomic<bool>& cancel,
                                   const RVClipProgress& progress = {});
    // Whether the request's clip can be a copy of the camera's packets.
    static bool copiesStream(const RVClipRequest& request);
    // "<trip>_clip_<yyyyMMdd-HHmmss>.mp4" for a trip named tripName (a file name; its
    // extension is dropped) and the clip's first moment in the camera's time.
    static QString clipFileName(const QString& tripName, const QDateTime& cameraStart);
    // A path in `folder` for fileName that names no existing file ("name-2.mp4", ...).
    static QString freePath(const QString& folder, const QString& fileName);
};
