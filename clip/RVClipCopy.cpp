// Stream copy: the camera's packets go into the clip unchanged. The clip starts at the last
// key frame at or before the start mark; its packets get timestamps below zero, for which
// the MP4 muxer writes an edit list, so players begin showing at the mark. Each following
// file continues on the trip's time line, and packets after the end mark are left out
// (except reference frames that a shown frame still needs to decode).

#include "clip/RVClipEngines.h"
#include "clip/RVClipInput.h"
#include "clip/RVClipMuxer.h"

#include <cmath>
#include <deque>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

struct PacketDeleter
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

// One output track: where its packets go and the last timestamp written, so that a join
// whose files overlap by a rounding never goes backwards.
struct Track
{
    AVStream* out = nullptr;
    int64_t lastDts = AV_NOPTS_VALUE;
    bool started = false;       // video: a key frame has been written
    bool done = false;          // past the end mark
    std::deque<PacketPtr> held; // video past the end mark, kept until it proves needed
};

bool sameVideo(const AVCodecParameters* a, const AVCodecParameters* b)
{
    return a->codec_id == b->codec_id && a->width == b->width && a->height == b->height;
}

} // namespace

RVClipResult copyClip(const RVClipRequest& request, int view, const std::atomic<bool>& cancel,
                      const RVClipProgress& progress)
{
    RVClipResult result;
    RVClipPace pace(request, progress);
    RVClipMuxer muxer(request.outputPath);
    Track video, audio;
    bool headerWritten = false;
    PacketPtr packet(av_packet_alloc());
    if (!packet || !muxer.open()) {
        result.error = muxer.error();
        return result;
    }

    for (std::size_t i = 0; i < request.sources.size() && !video.done; ++i) {
        const double offset = request.sources[i].tripOffsetSeconds;
        if (offset > request.toSeconds)
            break;
        const QString path = sourceViewPath(request, i, view);
        if (path.isEmpty())
            continue;
        RVClipInput input;
        if (!input.open(path)) {
            result.skipped.append(path);
            continue;
        }
        const double end = i + 1 < request.sources.size() ? request.sources[i + 1].tripOffsetSeconds
                                                          : offset + input.durationSeconds();
        if (end <= request.fromSeconds)
            continue;

        if (!headerWritten) {
            AVFormatContext* out = muxer.context();
            video.out = avformat_new_stream(out, nullptr);
            if (!video.out ||
                avcodec_parameters_copy(video.out->codecpar, input.video()->codecpar) < 0) {
                result.error = QStringLiteral("out of memory");
                return result;
            }
            video.out->codecpar->codec_tag = 0;
            video.out->time_base = input.video()->time_base;
            if (request.sound && input.audio()) {
                audio.out = avformat_new_stream(out, nullptr);
                if (!audio.out ||
                    avcodec_parameters_copy(audio.out->codecpar, input.audio()->codecpar) < 0) {
                    result.error = QStringLiteral("out of memory");
                    return result;
                }
                audio.out->codecpar->codec_tag = 0;
                audio.out->time_base = input.audio()->time_base;
            }
            if (!muxer.writeHeader()) {
                result.error = muxer.error();
                return result;
            }
            headerWritten = true;
            input.seekBefore(request.fromSeconds - offset);
        } else if (!sameVideo(video.out->codecpar, input.video()->codecpar)) {
            result.error = QStringLiteral("%1: its video differs from the files before it; "
                                          "choose a re-encoded quality to join them")
                               .arg(path);
            return result;
        }

        while (!cancel.load(std::memory_order_relaxed)) {
            const int status = av_read_frame(input.context(), packet.get());
            if (status < 0)
                break; // end of this file (or damage from here on): go on with the next
            AVStream* in = input.context()->streams[packet->stream_index];
            Track* track = in == input.video() ? &video : in == input.audio() ? &audio : nullptr;
            if (!track || !track->out || track->done) {
                av_packet_unref(packet.get());
                continue;
            }
            const int64_t timestamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const double trip = offset + input.fileSeconds(in, timestamp);
            const double duration = packet->duration * av_q2d(in->time_base);
            if (track == &video) {
                if (!video.started && !(packet->flags & AV_PKT_FLAG_KEY)) {
                    av_packet_unref(packet.get());
                    continue;
                }
                video.started = true;
                pace.reached(trip);
            } else if (!video.started || trip + duration <= request.fromSeconds) {
                // Sound before the first picture or wholly before the mark.
                av_packet_unref(packet.get());
                continue;
            }

            // Into the clip's time line: trip seconds less the start mark.
            const int64_t shift =
                std::llround((offset - request.fromSeconds) / av_q2d(in->time_base)) -
                input.streamTimestamp(in, 0);
            if (packet->pts != AV_NOPTS_VALUE)
                packet->pts += shift;
            if (packet->dts != AV_NOPTS_VALUE)
                packet->dts += shift;
            av_packet_rescale_ts(packet.get(), in->time_base, track->out->time_base);
            packet->stream_index = track->out->index;
            packet->pos = -1;
            if (track->lastDts != AV_NOPTS_VALUE && packet->dts != AV_NOPTS_VALUE &&
                packet->dts <= track->lastDts) {
                const int64_t nudge = track->lastDts + 1 - packet->dts;
                packet->dts += nudge;
                if (packet->pts != AV_NOPTS_VALUE)
                    packet->pts = std::max(packet->pts, packet->dts);
            }

            if (trip > request.toSeconds + 1e-6) {
                if (track == &audio) {
                    audio.done = true;
                    av_packet_unref(packet.get());
                    continue;
                }
                // A key frame past the end: nothing after it is needed by a shown frame.
                if (packet->flags & AV_PKT_FLAG_KEY) {
                    video.done = true;
                    av_packet_unref(packet.get());
                    if (audio.done || !audio.out)
                        break;
                    continue;
                }
                if (video.held.size() > 64) { // more than any decoder keeps for reordering
                    video.done = true;
                    continue;
                }
                video.held.emplace_back(av_packet_clone(packet.get()));
                av_packet_unref(packet.get());
                continue;
            }
            if (track == &video) {
                // A frame shown before the end references what was held back: keep it all.
                for (PacketPtr& kept : video.held) {
                    if (!muxer.write(kept.get())) {
                        result.error = muxer.error();
                        return result;
                    }
                    ++result.videoFrames;
                }
                video.held.clear();
                ++result.videoFrames;
            }
            track->lastDts = packet->dts;
            if (!muxer.write(packet.get())) {
                result.error = muxer.error();
                return result;
            }
        }
        if (cancel.load(std::memory_order_relaxed))
            break;
    }

    if (cancel.load(std::memory_order_relaxed)) {
        result.cancelled = true;
        result.error = QStringLiteral("cancelled");
        return result;
    }
    if (!headerWritten || result.videoFrames == 0) {
        result.error = QStringLiteral("no video in the chosen range");
        return result;
    }
    if (!muxer.finish()) {
        result.error = muxer.error();
        return result;
    }
    result.ok = true;
    result.streamCopied = true;
    return result;
}
