// A recording's length: from the movie header when it can be read directly, else from FFmpeg.
//
// FFmpeg is loaded on first need rather than linked (RVFormatLibrary).
#include "library/RVAVUtil.h"

#include "library/RVFormatLibrary.h"
#include "library/RVMp4Header.h"

#include "core/RVNativePath.h"
#include "metadata/RVMetaPath.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

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

float durationFromFFmpeg(const QString& filePath)
{
    const RVFormatLibrary* av = RVFormatLibrary::get();
    if (!av)
        return kUnknown;
    const QByteArray native = RVNativePath::encode(filePath);
    // Recordings are QuickTime/MP4 files: naming the demuxer skips probing every format
    // FFmpeg knows, which takes about as long as reading the header itself. A file that is
    // something else under that name is probed as usual.
    AVFormatContext* raw = nullptr;
    if (av->openInput(&raw, native.constData(), av->findInputFormat("mov"), nullptr) < 0 &&
        av->openInput(&raw, native.constData(), nullptr, nullptr) < 0)
        return kUnknown;
    const auto close = [av](AVFormatContext* context) { av->closeInput(&context); };
    std::unique_ptr<AVFormatContext, decltype(close)> context(raw, close);

    if (context->duration != AV_NOPTS_VALUE && context->duration >= 0)
        return float(double(context->duration) / AV_TIME_BASE);
    // The streams' own lengths where the header states them (a fragmented MP4): no probing.
    if (const double seconds = longestStreamSeconds(*context); seconds >= 0)
        return float(seconds);
    // Containers without a header that states the length (transport streams) are measured
    // from their packets' times at the start and the end.
    if (av->findStreamInfo(context.get(), nullptr) >= 0 && context->duration != AV_NOPTS_VALUE &&
        context->duration >= 0)
        return float(double(context->duration) / AV_TIME_BASE);
    return kUnknown;
}

} // namespace

void RVAVUtil::silenceFFmpegLog()
{
    RVFormatLibrary::quietLog.store(true);
}

float RVAVUtil::getDurationOfFile(const QString& filePath)
{
    RVRegularFile file;
    if (!RVMetaPath::openRegularFile(file, filePath))
        return kUnknown;
    // FFmpeg reports the same figure for these files: the movie header's length, rounded to
    // microseconds.
    if (const std::optional<double> seconds = RVMp4Header::movieDurationSeconds(file))
        return float(*seconds);
    file.close();
    return durationFromFFmpeg(filePath);
}
