#pragma once

extern "C" {
#include <libavformat/avformat.h> // types and the library's version only; nothing is linked
}

#include <atomic>

// The libavformat entry points the library layer reads containers with, resolved on first need
// from the library whose major version the program was built against (its ABI).
//
// FFmpeg is loaded rather than linked: nearly every recording's length comes from its header,
// and linking libavformat makes every program that lists recordings load FFmpeg's hundred-odd
// libraries at start, most of korvela-export's run on a short log. Programs that link FFmpeg
// for other work (thumbnails in the player) get the already loaded library back from the
// loader. libavutil's and libavcodec's functions are found through libavformat's dependencies.
struct RVFormatLibrary final
{
    decltype(&av_log_set_level) setLogLevel = nullptr;
    decltype(&avformat_open_input) openInput = nullptr;
    decltype(&avformat_close_input) closeInput = nullptr;
    decltype(&av_find_input_format) findInputFormat = nullptr;
    decltype(&avformat_find_stream_info) findStreamInfo = nullptr;
    decltype(&av_read_frame) readFrame = nullptr;
    decltype(&av_packet_alloc) packetAlloc = nullptr;
    decltype(&av_packet_free) packetFree = nullptr;
    decltype(&av_packet_unref) packetUnref = nullptr;

    // Null when libavformat cannot be loaded (logged once).
    static const RVFormatLibrary* get();
    // Keeps FFmpeg's own log quiet once loaded (see RVAVUtil::silenceFFmpegLog).
    static std::atomic<bool> quietLog;
};
