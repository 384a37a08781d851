// A recording's length: from the movie header when it can be read directly, else from FFmpeg.
//
// FFmpeg is loaded on first need rather than linked: nearly every recording's length comes
// from its header, and linking libavformat makes every program that lists recordings load
// FFmpeg's hundred-odd libraries at start, most of korvela-export's run on a short log.
// Programs that link FFmpeg for other work (thumbnails in the player) get the already loaded
// library back from the loader.
#include "library/RVAVUtil.h"

#include "library/RVMp4Header.h"

#include "core/RVNativePath.h"
#include "metadata/RVMetaPath.h"

#include <QFile>
#include <QLibrary>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <optional>

extern "C" {
#include <libavformat/avformat.h> // types and the library's version only; nothing is linked
}

namespace {

constexpr float kUnknown = std::numeric_limits<float>::quiet_NaN();

// The few libavformat entry points the fallback needs, resolved from the library whose major
// version the program was built against (its ABI).
struct FormatLibrary
{
    decltype(&av_log_set_level) setLogLevel = nullptr;
    decltype(&avformat_open_input) openInput = nullptr;
    decltype(&avformat_close_input) closeInput = nullptr;
    decltype(&av_find_input_format) findInputFormat = nullptr;
};

std::atomic<bool> s_quietLog{false};

const FormatLibrary* formatLibrary()
{
    // Destroying a QLibrary does not unload it: the pointers stay valid for the program's life.
    static QLibrary library(QStringLiteral("avformat"), LIBAVFORMAT_VERSION_MAJOR);
    static const std::optional<FormatLibrary> loaded = []() -> std::optional<FormatLibrary> {
        FormatLibrary functions;
        // libavutil's, found through libavformat's dependencies.
        functions.setLogLevel =
            reinterpret_cast<decltype(&av_log_set_level)>(library.resolve("av_log_set_level"));
        if (functions.setLogLevel && s_quietLog.load())
            functions.setLogLevel(AV_LOG_QUIET);
        functions.openInput = reinterpret_cast<decltype(&avformat_open_input)>(
            library.resolve("avformat_open_input"));
        functions.closeInput = reinterpret_cast<decltype(&avformat_close_input)>(
            library.resolve("avformat_close_input"));
        functions.findInputFormat = reinterpret_cast<decltype(&av_find_input_format)>(
            library.resolve("av_find_input_format"));
        if (!functions.openInput || !functions.closeInput || !functions.findInputFormat) {
            qWarning("Could not load FFmpeg's libavformat: %s",
                     qUtf8Printable(library.errorString()));
            return std::nullopt;
        }
        return functions;
    }();
    return loaded ? &*loaded : nullptr;
}

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
    const FormatLibrary* av = formatLibrary();
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
    const double seconds = longestStreamSeconds(*context);
    return seconds >= 0 ? float(seconds) : kUnknown;
}

} // namespace

void RVAVUtil::silenceFFmpegLog()
{
    s_quietLog.store(true);
}

float RVAVUtil::getDurationOfFile(const QString& filePath)
{
    QFile file;
    if (!RVMetaPath::openRegularFile(file, filePath))
        return kUnknown;
    // FFmpeg reports the same figure for these files: the movie header's length, rounded to
    // microseconds.
    if (const std::optional<double> seconds = RVMp4Header::movieDurationSeconds(file))
        return float(*seconds);
    file.close();
    return durationFromFFmpeg(filePath);
}
