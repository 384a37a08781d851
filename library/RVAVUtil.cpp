#include "library/RVAVUtil.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

struct FormatContextCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

// The longest stream, for containers whose header gives the streams' lengths but no overall
// length (AVFormatContext::duration is filled in only by stream probing, which decodes).
double longestStreamSeconds(const AVFormatContext& context)
{
    double longest = -1;
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream* stream = context.streams[i];
        if (stream->duration == AV_NOPTS_VALUE || stream->duration < 0 ||
            stream->time_base.den == 0)
            continue;
        longest = std::max(longest, double(stream->duration) * av_q2d(stream->time_base));
    }
    return longest;
}

} // namespace

float RVAVUtil::getDurationOfFile(const QString& filePath)
{
    const QByteArray native = QFile::encodeName(filePath);
    // Recordings are QuickTime/MP4 files: naming the demuxer skips probing every format
    // FFmpeg knows, which takes about as long as reading the header itself. A file that is
    // something else under that name is probed as usual.
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, native.constData(), av_find_input_format("mov"), nullptr) < 0 &&
        avformat_open_input(&raw, native.constData(), nullptr, nullptr) < 0)
        return kUnknown;
    std::unique_ptr<AVFormatContext, FormatContextCloser> context(raw);

    if (context->duration != AV_NOPTS_VALUE && context->duration >= 0)
        return float(double(context->duration) / AV_TIME_BASE);
    const double seconds = longestStreamSeconds(*context);
    return seconds >= 0 ? float(seconds) : kUnknown;
}
