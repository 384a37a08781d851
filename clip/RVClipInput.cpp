#include "clip/RVClipInput.h"

#include "clip/RVClipMuxer.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

RVClipInput::~RVClipInput()
{
    if (m_context)
        avformat_close_input(&m_context);
}

bool RVClipInput::open(const QString& path)
{
    // Only regular files: a FIFO or a device would block or never end.
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("%1: not a readable file").arg(path);
        return false;
    }
    int status =
        avformat_open_input(&m_context, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (status >= 0)
        status = avformat_find_stream_info(m_context, nullptr);
    if (status < 0) {
        m_error = QStringLiteral("%1: %2").arg(path, avErrorText(status));
        return false;
    }
    const int video = av_find_best_stream(m_context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0 || m_context->streams[video]->codecpar->width <= 0) {
        m_error = QStringLiteral("%1: no video").arg(path);
        return false;
    }
    m_video = m_context->streams[video];
    const int audio = av_find_best_stream(m_context, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
    m_audio = audio >= 0 ? m_context->streams[audio] : nullptr;
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        AVStream* stream = m_context->streams[i];
        if (stream != m_video && stream != m_audio)
            stream->discard = AVDISCARD_ALL;
    }
    // The earliest start among the streams played: the file's second 0, as a player shows it.
    double start = std::numeric_limits<double>::infinity();
    for (AVStream* stream : {m_video, m_audio})
        if (stream && stream->start_time != AV_NOPTS_VALUE)
            start = std::min(start, stream->start_time * av_q2d(stream->time_base));
    m_startSeconds = std::isfinite(start) ? start : 0;
    return true;
}

double RVClipInput::durationSeconds() const
{
    if (m_context->duration != AV_NOPTS_VALUE && m_context->duration > 0)
        return double(m_context->duration) / AV_TIME_BASE;
    if (m_video->duration != AV_NOPTS_VALUE && m_video->duration > 0)
        return m_video->duration * av_q2d(m_video->time_base);
    return 0;
}

double RVClipInput::fileSeconds(const AVStream* stream, int64_t timestamp) const
{
    if (timestamp == AV_NOPTS_VALUE)
        return std::numeric_limits<double>::quiet_NaN();
    return timestamp * av_q2d(stream->time_base) - m_startSeconds;
}

int64_t RVClipInput::streamTimestamp(const AVStream* stream, double seconds) const
{
    return std::llround((seconds + m_startSeconds) / av_q2d(stream->time_base));
}

bool RVClipInput::seekBefore(double seconds)
{
    if (seconds <= 0)
        return true;
    // A little past the mark: a frame that starts a hair after `seconds` in the stream's
    // rounding is still the frame on screen at the mark.
    const int64_t target = streamTimestamp(m_video, seconds + 1e-4);
    return av_seek_frame(m_context, m_video->index, target, AVSEEK_FLAG_BACKWARD) >= 0;
}
