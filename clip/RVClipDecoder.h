#pragma once

#include "clip/RVClipInput.h"
#include "clip/RVClipRequest.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

struct RVFrameDeleter
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using RVFramePtr = std::unique_ptr<AVFrame, RVFrameDeleter>;

// The decoded pictures (or sound) of one view of the trip over the clip's range, file after
// file, each with its trip second. The first picture is the one on screen at the start mark
// (stamped with the mark itself); the last is the one on screen at the end mark. Where a
// recording lacks the view or its file cannot be read, a picture stream gets black frames at
// the clip's frame rate over that recording's span, so that composed views stay in step.
class RVClipDecoder final
{
public:
    RVClipDecoder(const RVClipRequest& request, int view, AVMediaType type);
    ~RVClipDecoder();
    RVClipDecoder(const RVClipDecoder&) = delete;
    RVClipDecoder& operator=(const RVClipDecoder&) = delete;

    // The next frame and its trip second, or nothing at the end (also after an error: see
    // error()).
    RVFramePtr next(double* tripSeconds);
    // The size and step of black frames, until a real picture gives the view's own size.
    void setFiller(int width, int height, double stepSeconds);
    // The stream of the file being read (its parameters), or null between files.
    const AVCodecContext* codec() const { return m_codec; }
    const AVStream* stream() const { return m_stream; }
    const QStringList& skipped() const { return m_skipped; }
    const QString& error() const { return m_error; }

private:
    RVFramePtr decodeNext(double* tripSeconds);
    RVFramePtr readFromFile(double* tripSeconds);
    bool openSource();
    void closeFile();
    RVFramePtr makeFiller();

    const RVClipRequest& m_request;
    const int m_view;
    const AVMediaType m_type;
    std::size_t m_source = 0;
    bool m_started = false; // a source at or after the start mark has been opened
    bool m_ended = false;
    std::unique_ptr<RVClipInput> m_input;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    bool m_draining = false;
    double m_offset = 0;
    // Black frames for a recording without this view: from m_fillAt while below m_fillEnd.
    double m_fillAt = 0, m_fillEnd = -1, m_fillStep = 1.0 / 30;
    int m_fillWidth = 640, m_fillHeight = 360;
    // The picture on screen at the start mark, held until the next one shows it ends there.
    RVFramePtr m_before;
    double m_beforeTrip = 0;
    RVFramePtr m_lookahead;
    double m_lookaheadTrip = 0;
    QStringList m_skipped;
    QString m_error;
};
