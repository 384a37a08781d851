#include "clip/RVClipDecoder.h"

#include "clip/RVClipEngines.h"
#include "clip/RVClipMuxer.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

// A frame that starts this close after a mark is taken as starting on it (timestamps are
// rounded to the streams' time bases).
constexpr double kSlack = 1e-4;

} // namespace

RVClipDecoder::RVClipDecoder(const RVClipRequest& request, int view, AVMediaType type)
    : m_request(request), m_view(view), m_type(type), m_packet(av_packet_alloc())
{}

RVClipDecoder::~RVClipDecoder()
{
    closeFile();
    av_packet_free(&m_packet);
}

void RVClipDecoder::setFiller(int width, int height, double stepSeconds)
{
    m_fillWidth = std::max(2, width);
    m_fillHeight = std::max(2, height);
    if (stepSeconds > 0)
        m_fillStep = stepSeconds;
}

void RVClipDecoder::closeFile()
{
    avcodec_free_context(&m_codec);
    m_input.reset();
    m_stream = nullptr;
    m_draining = false;
}

bool RVClipDecoder::openSource()
{
    // Opens the next source that reaches into the range; false when none is left.
    while (m_source < m_request.sources.size()) {
        const std::size_t index = m_source++;
        m_offset = m_request.sources[index].tripOffsetSeconds;
        if (m_offset > m_request.toSeconds + kSlack)
            return false;
        const bool last = index + 1 == m_request.sources.size();
        const double nextOffset = last ? -1 : m_request.sources[index + 1].tripOffsetSeconds;
        const QString path = sourceViewPath(m_request, index, m_view);
        auto input = std::make_unique<RVClipInput>();
        AVStream* stream = nullptr;
        if (!path.isEmpty() && input->open(path))
            stream = m_type == AVMEDIA_TYPE_VIDEO ? input->video() : input->audio();
        else if (!path.isEmpty())
            m_skipped.append(path);
        if (!stream) {
            // No pictures from this recording: black ones over its span (sound: silence is
            // made by the resampler from the gap in the timestamps).
            if (m_type == AVMEDIA_TYPE_VIDEO && !last) {
                m_fillAt = std::max(m_offset, m_request.fromSeconds);
                m_fillEnd = std::min(nextOffset, m_request.toSeconds + kSlack);
                if (m_fillAt < m_fillEnd)
                    return true;
            }
            continue;
        }
        const double end = last ? m_offset + input->durationSeconds() : nextOffset;
        if (end <= m_request.fromSeconds && !last)
            continue;
        const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
        m_codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
        if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0 ||
            (m_codec->thread_count = 0, avcodec_open2(m_codec, decoder, nullptr)) < 0) {
            avcodec_free_context(&m_codec);
            m_skipped.append(path);
            continue;
        }
        m_codec->pkt_timebase = stream->time_base;
        if (!m_started)
            input->seekBefore(m_request.fromSeconds - m_offset);
        m_started = true;
        m_input = std::move(input);
        m_stream = stream;
        return true;
    }
    return false;
}

RVFramePtr RVClipDecoder::makeFiller()
{
    RVFramePtr frame(av_frame_alloc());
    if (!frame)
        return nullptr;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = m_fillWidth & ~1;
    frame->height = m_fillHeight & ~1;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    // Black in limited range: luma 16, chroma 128.
    for (int y = 0; y < frame->height; ++y)
        std::memset(frame->data[0] + y * frame->linesize[0], 16, frame->width);
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < frame->height / 2; ++y)
            std::memset(frame->data[plane] + y * frame->linesize[plane], 128, frame->width / 2);
    return frame;
}

RVFramePtr RVClipDecoder::readFromFile(double* tripSeconds)
{
    RVFramePtr frame(av_frame_alloc());
    while (frame) {
        const int received = avcodec_receive_frame(m_codec, frame.get());
        if (received >= 0) {
            const int64_t stamp = frame->best_effort_timestamp != AV_NOPTS_VALUE
                                      ? frame->best_effort_timestamp
                                      : frame->pts;
            const double seconds = m_input->fileSeconds(m_stream, stamp);
            if (!std::isfinite(seconds))
                continue; // a frame nobody can place on the time line
            *tripSeconds = m_offset + seconds;
            return frame;
        }
        if (received == AVERROR_EOF)
            return nullptr;
        if (received != AVERROR(EAGAIN)) {
            m_error = QStringLiteral("cannot decode: ") + avErrorText(received);
            return nullptr;
        }
        if (m_draining)
            return nullptr;
        // Feed the decoder the next packet of our stream.
        for (;;) {
            const int status = av_read_frame(m_input->context(), m_packet);
            if (status < 0) {
                m_draining = true;
                avcodec_send_packet(m_codec, nullptr);
                break;
            }
            if (m_packet->stream_index != m_stream->index) {
                av_packet_unref(m_packet);
                continue;
            }
            // A damaged packet is dropped; the decoder carries on with the next.
            avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
            break;
        }
    }
    return nullptr;
}

RVFramePtr RVClipDecoder::decodeNext(double* tripSeconds)
{
    for (;;) {
        if (m_fillAt < m_fillEnd) {
            *tripSeconds = m_fillAt;
            m_fillAt += m_fillStep;
            return makeFiller();
        }
        if (m_codec) {
            if (RVFramePtr frame = readFromFile(tripSeconds)) {
                if (m_type == AVMEDIA_TYPE_VIDEO) {
                    m_fillWidth = frame->width;
                    m_fillHeight = frame->height;
                }
                return frame;
            }
            if (!m_error.isEmpty())
                return nullptr;
            closeFile();
        }
        if (!openSource())
            return nullptr;
    }
}

RVFramePtr RVClipDecoder::next(double* tripSeconds)
{
    if (m_lookahead) {
        *tripSeconds = m_lookaheadTrip;
        return std::move(m_lookahead);
    }
    while (!m_ended) {
        double trip = 0;
        RVFramePtr frame = decodeNext(&trip);
        if (!frame) {
            m_ended = true;
            break;
        }
        if (trip > m_request.toSeconds + kSlack) {
            // Past the end mark: this view is done (sound stops with the last picture too).
            m_ended = true;
            break;
        }
        if (trip <= m_request.fromSeconds + kSlack) {
            // Before (or on) the start mark: the latest such frame is the one on screen there.
            m_before = std::move(frame);
            m_beforeTrip = trip;
            continue;
        }
        if (m_type == AVMEDIA_TYPE_AUDIO) {
            // Sound before the mark keeps its own time; the resampler trims it to the mark.
            if (m_before) {
                m_lookahead = std::move(frame);
                m_lookaheadTrip = trip;
                *tripSeconds = m_beforeTrip;
                return std::move(m_before);
            }
            *tripSeconds = trip;
            return frame;
        }
        if (m_before) {
            m_lookahead = std::move(frame);
            m_lookaheadTrip = trip;
            *tripSeconds = std::max(m_beforeTrip, m_request.fromSeconds);
            return std::move(m_before);
        }
        *tripSeconds = trip;
        return frame;
    }
    if (m_before) { // the range ends before the next frame starts: one frame on screen
        *tripSeconds = std::max(m_beforeTrip, m_request.fromSeconds);
        return std::move(m_before);
    }
    return nullptr;
}
