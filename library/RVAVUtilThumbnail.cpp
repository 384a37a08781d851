// Hover thumbnails: one frame of a recording, decoded with FFmpeg and shrunk to 160 x 90.
//
// The frame wanted is the one on screen at a whole second t: the last frame whose
// presentation time is at or before t. Decoding starts at the key frame before t (a seek
// with AVSEEK_FLAG_BACKWARD) and runs forward until a frame reaches t. Camera recordings
// have a key frame every one or two seconds, so at most a few dozen frames are decoded.
//
// A container without an index (an MPEG transport stream) seeks by its packets' times, not
// to a key frame: the read then starts at a frame that needs earlier ones, and the first key
// frame after it may lie past t. Such a start is not decoded; the seek steps back (1, 2, 4 s
// ...) until a key frame at or before t comes first, and past the recording's start time
// reads from its first byte.
#include "library/RVAVUtil.h"

#include "core/RVNativePath.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

namespace {

struct FormatCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer
{
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

// A damaged index can send the decoder a long way from the key frame it should have found;
// past this many video packets the best frame so far is taken.
constexpr int kMaxPacketsAfterSeek = 1000;
// Decoding errors tolerated before a recording counts as undecodable.
constexpr int kMaxDecodingErrors = 50;

FormatPtr openInput(const QString& filePath)
{
    const QByteArray native = RVNativePath::encode(filePath);
    // Recordings are QuickTime/MP4: naming the demuxer skips probing every format FFmpeg
    // knows. A file that is something else under that name is probed as usual.
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, native.constData(), av_find_input_format("mov"), nullptr) < 0 &&
        avformat_open_input(&raw, native.constData(), nullptr, nullptr) < 0)
        return nullptr;
    return FormatPtr(raw);
}

CodecPtr openDecoder(const AVStream& stream, const AVCodec& codec)
{
    CodecPtr decoder(avcodec_alloc_context3(&codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0)
        return nullptr;
    // One decoding thread. Frame threads pay off only far from a key frame, and cost more
    // than they gain on two cores; the player decodes the playing video at the same time, and
    // a hover thumbnail must not starve it.
    decoder->thread_count = 1;
    // The in-loop deblocking filter is a good part of the decoding time, and what it smooths
    // is far below what a 160 x 90 picture shows.
    decoder->skip_loop_filter = AVDISCARD_ALL;
    if (avcodec_open2(decoder.get(), &codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

int64_t frameTime(const AVFrame& frame)
{
    return frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
}

int64_t keyTime(const AVPacket& packet)
{
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

// Decodes from the current read position until the frame on screen at `target` (stream time
// base) is known. Null when no frame could be decoded at all. Unless reading from the start,
// `late` when the first key frame read lies past the target, or frames but no key frame come
// before the end (nothing is decoded then).
//
// Only what that frame needs is decoded. Packets come in decode order, and a frame's
// presentation time is never before its decode time, so once a packet's decode time passes
// the target no later packet can hold the frame: the decoder is drained there instead of
// being fed further. When a packet's presentation time is the target itself (whole seconds at
// the usual frame rates), it is the last one sent. Before that, frames that end before the
// target and that no other frame refers to (most B-frames) are skipped.
FramePtr decodeFrameAt(AVFormatContext& input, int streamIndex, AVCodecContext& decoder,
                       int64_t target, bool fromStart, bool& late)
{
    late = false;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr best(av_frame_alloc());
    if (!packet || !frame || !best)
        return nullptr;
    bool haveBest = false;
    bool draining = false;
    int packets = 0;
    int skipped = 0;
    int errors = 0;
    for (;;) {
        if (!draining) {
            const int read = av_read_frame(&input, packet.get());
            if (read < 0 && packets == 0 && skipped > 0 && !fromStart) {
                // Frames to the end, but no key frame among them.
                late = true;
                return nullptr;
            }
            if (read < 0) {
                // End of file (or a read error): drain the frames the decoder still holds.
                avcodec_send_packet(&decoder, nullptr);
                draining = true;
            } else if (packet->stream_index != streamIndex) {
                av_packet_unref(packet.get());
                continue;
            } else if (packets == 0 && !(packet->flags & AV_PKT_FLAG_KEY) &&
                       ++skipped <= kMaxPacketsAfterSeek) {
                // Frames before the first key frame cannot be decoded from here.
                av_packet_unref(packet.get());
                continue;
            } else if (packets == 0 && keyTime(*packet) != AV_NOPTS_VALUE && !fromStart &&
                       keyTime(*packet) > target) {
                av_packet_unref(packet.get());
                late = true;
                return nullptr;
            } else if (packet->dts != AV_NOPTS_VALUE && packet->dts > target && packets > 0) {
                av_packet_unref(packet.get());
                avcodec_send_packet(&decoder, nullptr);
                draining = true;
            } else {
                const bool endsBeforeTarget = packet->pts != AV_NOPTS_VALUE &&
                                              packet->duration > 0 &&
                                              packet->pts + packet->duration <= target;
                decoder.skip_frame = endsBeforeTarget ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
                const bool lastNeeded = packet->pts == target;
                // A damaged packet is skipped; the decoder conceals what it can.
                avcodec_send_packet(&decoder, packet.get());
                av_packet_unref(packet.get());
                if (lastNeeded || ++packets > kMaxPacketsAfterSeek) {
                    avcodec_send_packet(&decoder, nullptr);
                    draining = true;
                }
            }
        }
        for (;;) {
            const int received = avcodec_receive_frame(&decoder, frame.get());
            if (received == AVERROR(EAGAIN))
                break;
            if (received == AVERROR_EOF)
                return haveBest ? std::move(best) : nullptr;
            if (received < 0) {
                // A damaged packet (FFmpeg reports decoding errors here): go on with the next,
                // which the decoder repairs from what it has, unless nothing decodes at all.
                if (++errors > kMaxDecodingErrors)
                    return haveBest ? std::move(best) : nullptr;
                break;
            }
            const int64_t time = frameTime(*frame);
            if (time == AV_NOPTS_VALUE || time <= target) {
                av_frame_unref(best.get());
                av_frame_move_ref(best.get(), frame.get());
                haveBest = true;
                if (time == target || time == AV_NOPTS_VALUE)
                    return best;
                continue;
            }
            // The first frame past the target: the one before it is on screen at the target;
            // with none before it (target before the first frame), this one is.
            if (!haveBest)
                av_frame_move_ref(best.get(), frame.get());
            return best;
        }
    }
}

std::optional<RVRgbImage> scaleToThumbnail(const AVFrame& frame)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.format < 0)
        return std::nullopt;
    // Area averaging: a 12-fold reduction of a 1080p frame without the shimmer of bilinear
    // sampling, and about as fast.
    std::unique_ptr<SwsContext, ScalerFreer> scaler(sws_getContext(
        frame.width, frame.height, AVPixelFormat(frame.format), RVAVUtil::thumbnailWidth,
        RVAVUtil::thumbnailHeight, AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scaler)
        return std::nullopt;
    RVRgbImage image;
    image.width = RVAVUtil::thumbnailWidth;
    image.height = RVAVUtil::thumbnailHeight;
    image.rgb.resize(std::size_t(image.width) * std::size_t(image.height) * 3);
    uint8_t* planes[4] = {image.rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {image.width * 3, 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) !=
        image.height)
        return std::nullopt;
    return image;
}

} // namespace

int64_t RVAVUtil::thumbnailSecond(double seconds)
{
    // Negative and non-finite times mean the start. Clamped far beyond any recording, so the
    // conversion to stream time cannot overflow.
    const double whole = std::isfinite(seconds) && seconds > 0 ? std::trunc(seconds) : 0.0;
    return int64_t(std::min(whole, 1e9));
}

std::optional<RVRgbImage> RVAVUtil::getThumbnailOfFile(const QString& filePath, double seconds)
{
    FormatPtr input = openInput(filePath);
    if (!input)
        return std::nullopt;
    // MP4 headers describe the video stream fully; only other containers need probing, which
    // decodes frames.
    const AVCodec* codec = nullptr;
    int streamIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (streamIndex < 0 || input->streams[streamIndex]->codecpar->width <= 0) {
        if (avformat_find_stream_info(input.get(), nullptr) < 0)
            return std::nullopt;
        streamIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    }
    if (streamIndex < 0 || !codec)
        return std::nullopt;
    const AVStream& stream = *input->streams[streamIndex];
    if (stream.time_base.num <= 0 || stream.time_base.den <= 0)
        return std::nullopt;
    CodecPtr decoder = openDecoder(stream, *codec);
    if (!decoder)
        return std::nullopt;

    const int64_t wholeSeconds = thumbnailSecond(seconds);
    const int64_t start = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    const int64_t target = start + av_rescale_q(wholeSeconds, AVRational{1, 1}, stream.time_base);
    // A failed seek leaves the position where it was: decoding from there still finds the
    // frame, only more slowly, or tells that it started too late.
    const int64_t second =
        std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, stream.time_base));
    for (int64_t back = 0;; back = back == 0 ? second : 2 * back) {
        const int64_t from = std::max(target - back, start);
        av_seek_frame(input.get(), streamIndex, from, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(decoder.get());
        bool late = false;
        FramePtr frame = decodeFrameAt(*input, streamIndex, *decoder, target, false, late);
        if (!late)
            return frame ? scaleToThumbnail(*frame) : std::nullopt;
        if (from == start)
            break;
    }
    // Not even from the start time: the first frame's decode time may lie before it. The read
    // begins at the first byte where the container allows it, and the first key frame there
    // is is the first frame shown.
    const bool byBytes = !(input->iformat->flags & AVFMT_NO_BYTE_SEEK) &&
                         av_seek_frame(input.get(), -1, 0, AVSEEK_FLAG_BYTE) >= 0;
    if (!byBytes)
        av_seek_frame(input.get(), streamIndex, start, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(decoder.get());
    bool late = false;
    FramePtr frame = decodeFrameAt(*input, streamIndex, *decoder, target, true, late);
    return frame ? scaleToThumbnail(*frame) : std::nullopt;
}
