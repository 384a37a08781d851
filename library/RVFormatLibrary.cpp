#include "library/RVFormatLibrary.h"

#include <QLibrary>

#include <optional>

std::atomic<bool> RVFormatLibrary::quietLog{false};

const RVFormatLibrary* RVFormatLibrary::get()
{
    // Destroying a QLibrary does not unload it: the pointers stay valid for the program's life.
    static QLibrary library(QStringLiteral("avformat"), LIBAVFORMAT_VERSION_MAJOR);
    static const std::optional<RVFormatLibrary> loaded = []() -> std::optional<RVFormatLibrary> {
        RVFormatLibrary f;
        const auto resolve = [](auto& pointer, const char* name) {
            pointer =
                reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(library.resolve(name));
        };
        resolve(f.setLogLevel, "av_log_set_level");
        if (f.setLogLevel && quietLog.load())
            f.setLogLevel(AV_LOG_QUIET);
        resolve(f.openInput, "avformat_open_input");
        resolve(f.closeInput, "avformat_close_input");
        resolve(f.findInputFormat, "av_find_input_format");
        resolve(f.findStreamInfo, "avformat_find_stream_info");
        resolve(f.readFrame, "av_read_frame");
        resolve(f.packetAlloc, "av_packet_alloc");
        resolve(f.packetFree, "av_packet_free");
        resolve(f.packetUnref, "av_packet_unref");
        if (!f.openInput || !f.closeInput || !f.findInputFormat || !f.findStreamInfo ||
            !f.readFrame || !f.packetAlloc || !f.packetFree || !f.packetUnref) {
            qWarning("Could not load FFmpeg's libavformat: %s",
                     qUtf8Printable(library.errorString()));
            return std::nullopt;
        }
        return f;
    }();
    return loaded ? &*loaded : nullptr;
}
