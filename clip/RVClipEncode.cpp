// Re-encoding: the views' pictures are decoded, composed by a filter graph (scale, overlay)
// with the read-out strip painted by Qt, and encoded as H.264 (RVClipVideoEncoder: VAAPI
// where it works, x264 otherwise); the first shown view's sound
// is decoded, resampled onto the clip's time line (filling gaps at joins with silence) and
// encoded as AAC.

#include "clip/RVClipDecoder.h"
#include "clip/RVClipEngines.h"
#include "clip/RVClipGraph.h"
#include "clip/RVClipMuxer.h"
#include "clip/RVClipVideoEncoder.h"
#include "clip/RVReadoutPainter.h"

#include <cmath>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kAudioBitsPerSecond = 128000;

struct CodecDeleter
{
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;

struct GraphDeleter
{
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};

// One encoder and the clip's stream it writes.
struct Output
{
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
};

bool drainEncoder(Output& output, RVClipMuxer& muxer, QString* error)
{
    AVPacket* packet = av_packet_alloc();
    bool ok = packet != nullptr;
    while (ok) {
        const int status = avcodec_receive_packet(output.codec, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            break;
        if (status < 0) {
            *error = QStringLiteral("cannot encode: ") + avErrorText(status);
            ok = false;
            break;
        }
        av_packet_rescale_ts(packet, output.codec->time_base, output.stream->time_base);
        packet->stream_index = output.stream->index;
        if (!muxer.write(packet)) {
            *error = muxer.error();
            ok = false;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return ok;
}

// Sends `frame` (null: the end) to the encoder and writes what comes out.
bool encode(Output& output, AVFrame* frame, RVClipMuxer& muxer, QString* error)
{
    const int status = avcodec_send_frame(output.codec, frame);
    if (status < 0 && status != AVERROR_EOF) {
        *error = QStringLiteral("cannot encode: ") + avErrorText(status);
        return false;
    }
    return drainEncoder(output, muxer, error);
}

// Everything in `sink` so far into the encoder; `count` counts the frames. Pictures go
// through `video` on their way (uploaded for a hardware encoder).
bool pull(AVFilterContext* sink, Output& output, RVClipMuxer& muxer, QString* error,
          std::int64_t* count, RVClipVideoEncoder* video = nullptr)
{
    RVFramePtr frame(av_frame_alloc());
    for (;;) {
        const int status = av_buffersink_get_frame(sink, frame.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return true;
        if (status < 0) {
            *error = QStringLiteral("cannot compose: ") + avErrorText(status);
            return false;
        }
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        frame->time_base = av_buffersink_get_time_base(sink);
        av_frame_remove_side_data(frame.get(), AV_FRAME_DATA_A53_CC);
        bool ok = true;
        if (video) {
            RVFramePtr picture(av_frame_alloc());
            if (!picture) {
                *error = QStringLiteral("out of memory");
                return false;
            }
            av_frame_move_ref(picture.get(), frame.get());
            const RVFramePtr prepared = video->prepare(std::move(picture), error);
            ok = prepared && encode(output, prepared.get(), muxer, error);
        } else {
            ok = encode(output, frame.get(), muxer, error);
        }
        av_frame_unref(frame.get());
        if (!ok)
            return false;
        if (count)
            ++*count;
    }
}

// The read-out strip as a 4:2:0 picture with alpha, converted only when it changes.
class ReadoutFrames final
{
public:
    ReadoutFrames(RVReadoutPainter& painter) : m_painter(painter) {}
    ~ReadoutFrames() { sws_freeContext(m_scaler); }
    // A new reference to the strip at tripSeconds, or null on failure.
    RVFramePtr at(double tripSeconds)
    {
        bool changed = false;
        const QImage& image = m_painter.paint(tripSeconds, &changed);
        if (changed || !m_frame) {
            RVFramePtr frame(av_frame_alloc());
            frame->format = AV_PIX_FMT_YUVA420P;
            frame->width = image.width();
            frame->height = image.height();
            if (av_frame_get_buffer(frame.get(), 0) < 0)
                return nullptr;
            m_scaler = sws_getCachedContext(
                m_scaler, image.width(), image.height(), AV_PIX_FMT_RGBA, image.width(),
                image.height(), AV_PIX_FMT_YUVA420P, SWS_POINT, nullptr, nullptr, nullptr);
            if (!m_scaler)
                return nullptr;
            const uint8_t* planes[1] = {image.constBits()};
            const int strides[1] = {int(image.bytesPerLine())};
            sws_scale(m_scaler, planes, strides, 0, image.height(), frame->data, frame->linesize);
            m_frame = std::move(frame);
        }
        return RVFramePtr(av_frame_clone(m_frame.get()));
    }

private:
    RVReadoutPainter& m_painter;
    SwsContext* m_scaler = nullptr;
    RVFramePtr m_frame;
};

// The sound's chain: resampled onto the clip's time line in frames of the encoder's size.
struct SoundChain
{
    std::unique_ptr<AVFilterGraph, GraphDeleter> graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
};

bool buildSoundChain(SoundChain& chain, const AVCodecContext* decoded,
                     const AVCodecContext* encoder, QString* error)
{
    chain.graph.reset(avfilter_graph_alloc());
    char layout[128] = {};
    av_channel_layout_describe(&decoded->ch_layout, layout, sizeof layout);
    const QByteArray args =
        QStringLiteral("time_base=1/%1:sample_rate=%1:sample_fmt=%2:channel_layout=%3")
            .arg(decoded->sample_rate)
            .arg(QString::fromLatin1(av_get_sample_fmt_name(decoded->sample_fmt)))
            .arg(QString::fromLatin1(layout))
            .toLatin1();
    char outLayout[128] = {};
    av_channel_layout_describe(&encoder->ch_layout, outLayout, sizeof outLayout);
    // async: stretch or pad so that a sample's place on the time line is its timestamp;
    // first_pts=0: the clip's sound starts at its first picture (trimmed or padded).
    const QByteArray description =
        QStringLiteral("aresample=async=1000:first_pts=0,aformat=sample_fmts=%1:sample_rates=%2:"
                       "channel_layouts=%3")
            .arg(QString::fromLatin1(av_get_sample_fmt_name(encoder->sample_fmt)))
            .arg(encoder->sample_rate)
            .arg(QString::fromLatin1(outLayout))
            .toLatin1();
    int status = avfilter_graph_create_filter(&chain.source, avfilter_get_by_name("abuffer"), "in",
                                              args.constData(), nullptr, chain.graph.get());
    if (status >= 0)
        status = avfilter_graph_create_filter(&chain.sink, avfilter_get_by_name("abuffersink"),
                                              "out", nullptr, nullptr, chain.graph.get());
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (status >= 0) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = chain.source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = chain.sink;
        status = avfilter_graph_parse_ptr(chain.graph.get(), description.constData(), &inputs,
                                          &outputs, nullptr);
    }
    if (status >= 0)
        status = avfilter_graph_config(chain.graph.get(), nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (status < 0) {
        *error = QStringLiteral("cannot resample the sound: ") + avErrorText(status);
        return false;
    }
    av_buffersink_set_frame_size(chain.sink, encoder->frame_size);
    return true;
}

// Tells a buffer source that no more frames come. Only fails when out of memory, and then the
// graph just keeps what it has.
void endInput(AVFilterContext* source)
{
    if (av_buffersrc_add_frame(source, nullptr) < 0)
        return;
}

double frameStep(const AVCodecContext* codec, const AVStream* stream)
{
    AVRational rate = stream ? stream->avg_frame_rate : AVRational{0, 1};
    if (rate.num <= 0 || rate.den <= 0)
        rate = codec ? codec->framerate : AVRational{0, 1};
    return rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 1.0 / 30;
}

// The frame's sound without its first `samples` samples (a new frame), or null when out of
// memory. The resampler misplaces sound that overlaps what it already has (it restarts its
// time line), so where one file's sound runs past the start of the next, the overlap goes.
RVFramePtr withoutFirstSamples(const AVFrame* frame, int samples)
{
    RVFramePtr rest(av_frame_alloc());
    if (!rest)
        return nullptr;
    rest->format = frame->format;
    rest->sample_rate = frame->sample_rate;
    rest->nb_samples = frame->nb_samples - samples;
    if (av_channel_layout_copy(&rest->ch_layout, &frame->ch_layout) < 0 ||
        av_frame_get_buffer(rest.get(), 0) < 0 ||
        av_samples_copy(rest->extended_data, frame->extended_data, 0, samples, rest->nb_samples,
                        frame->ch_layout.nb_channels, AVSampleFormat(frame->format)) < 0)
        return nullptr;
    return rest;
}

} // namespace

RVClipResult encodeClip(const RVClipRequest& request, const std::atomic<bool>& cancel,
                        const RVClipProgress& progress, bool tryHardware)
{
    RVClipResult result;
    RVClipPace pace(request, progress);
    int viewCount = 1;
    for (const RVClipSource& source : request.sources)
        viewCount = std::max(viewCount, int(source.viewPaths.size()));
    const std::vector<int> views = layoutViews(request.layout, viewCount);

    // Each shown view's first picture: it gives the sizes and formats of the graph's inputs.
    std::vector<std::unique_ptr<RVClipDecoder>> decoders;
    std::vector<RVFramePtr> pending(views.size());
    std::vector<double> pendingTrip(views.size(), 0);
    for (std::size_t i = 0; i < views.size(); ++i) {
        decoders.push_back(std::make_unique<RVClipDecoder>(request, views[i], AVMEDIA_TYPE_VIDEO));
        if (i > 0)
            decoders[i]->setFiller(pending[0]->width, pending[0]->height,
                                   frameStep(decoders[0]->codec(), decoders[0]->stream()));
        pending[i] = decoders[i]->next(&pendingTrip[i]);
        if (!pending[i]) {
            result.skipped = decoders[i]->skipped();
            result.error =
                decoders[i]->error().isEmpty()
                    ? QStringLiteral("no pictures of view %1 in the chosen range").arg(views[i] + 1)
                    : decoders[i]->error();
            return result;
        }
    }
    const AVCodecContext* firstCodec = decoders[0]->codec();
    const double step = frameStep(firstCodec, decoders[0]->stream());
    for (auto& decoder : decoders)
        decoder->setFiller(pending[0]->width, pending[0]->height, step);

    const QSize size =
        clipSize(request.layout, request.quality, QSize(pending[0]->width, pending[0]->height));
    RVReadoutPainter painter(request.series, request.readouts, size.width(), size.height(),
                             request.fromSeconds, request.toSeconds, request.mapTiles);
    ReadoutFrames readoutFrames(painter);
    std::vector<RVClipGraph::Input> inputs;
    for (std::size_t i = 0; i < views.size(); ++i)
        inputs.push_back({QStringLiteral("v%1").arg(i), pending[i]->width, pending[i]->height,
                          pending[i]->format, pending[i]->sample_aspect_ratio});
    if (!painter.size().isEmpty())
        inputs.push_back({QStringLiteral("ro"),
                          painter.size().width(),
                          painter.size().height(),
                          AV_PIX_FMT_YUVA420P,
                          {1, 1}});
    RVClipGraph graph;
    if (!graph.build(composeGraph(request.layout, int(views.size()), size, painter.size()), inputs,
                     &result.error))
        return result;

    RVClipMuxer muxer(request.outputPath);
    if (!muxer.open()) {
        result.error = muxer.error();
        return result;
    }
    RVClipVideoEncoder encoder;
    RVClipVideoEncoder::Settings settings;
    settings.size = size;
    settings.timeBase = RVClipGraph::timeBase;
    settings.frameRate = av_inv_q(av_d2q(step, 100000));
    settings.gopSize = std::max(1, int(std::lround(2 / step))); // a key frame every two seconds
    settings.globalHeader = (muxer.context()->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    settings.tryHardware = tryHardware && request.hardwareEncoder;
    settings.hardwareDevice = request.hardwareDevice;
    if (!encoder.open(settings, &result.error))
        return result;
    result.encoder = encoder.name();
    result.hardwareEncoded = encoder.hardware();
    Output video;
    video.codec = encoder.codec();
    AVCodecContext* v = video.codec;
    int status = 0;
    video.stream = avformat_new_stream(muxer.context(), nullptr);
    if (!video.stream || avcodec_parameters_from_context(video.stream->codecpar, v) < 0) {
        result.error = QStringLiteral("out of memory");
        return result;
    }
    video.stream->time_base = v->time_base;
    video.stream->avg_frame_rate = v->framerate;

    // Sound: from the first shown view's files.
    std::unique_ptr<RVClipDecoder> soundDecoder;
    RVFramePtr soundPending;
    double soundTrip = 0;
    Output sound;
    CodecPtr soundCodec;
    SoundChain soundChain;
    if (request.sound) {
        soundDecoder = std::make_unique<RVClipDecoder>(request, views[0], AVMEDIA_TYPE_AUDIO);
        soundPending = soundDecoder->next(&soundTrip);
    }
    if (soundPending) {
        const AVCodecContext* decoded = soundDecoder->codec();
        const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        soundCodec.reset(aac ? avcodec_alloc_context3(aac) : nullptr);
        sound.codec = soundCodec.get();
        if (!sound.codec) {
            result.error = QStringLiteral("no AAC encoder");
            return result;
        }
        AVCodecContext* a = sound.codec;
        a->sample_fmt = AV_SAMPLE_FMT_FLTP;
        a->sample_rate = decoded->sample_rate;
        if (av_channel_layout_copy(&a->ch_layout, &decoded->ch_layout) < 0 ||
            a->ch_layout.nb_channels > 2)
            av_channel_layout_default(&a->ch_layout, std::min(2, decoded->ch_layout.nb_channels));
        a->bit_rate = kAudioBitsPerSecond;
        a->time_base = {1, a->sample_rate};
        if (muxer.context()->oformat->flags & AVFMT_GLOBALHEADER)
            a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        status = avcodec_open2(a, aac, nullptr);
        if (status < 0) {
            result.error = QStringLiteral("cannot start the AAC encoder: ") + avErrorText(status);
            return result;
        }
        if (!buildSoundChain(soundChain, decoded, a, &result.error))
            return result;
        sound.stream = avformat_new_stream(muxer.context(), nullptr);
        if (!sound.stream || avcodec_parameters_from_context(sound.stream->codecpar, a) < 0) {
            result.error = QStringLiteral("out of memory");
            return result;
        }
        sound.stream->time_base = a->time_base;
    }
    if (!muxer.writeHeader()) {
        result.error = muxer.error();
        return result;
    }

    // Feeds the sound up to trip second `until` (everything when infinite). Sound that starts
    // before the end of what was fed (a file's sound running a little past the next file's
    // start) is cut to begin there, so the sound keeps its place on the time line at every join.
    int64_t soundFedEnd = INT64_MIN;
    const auto feedSound = [&](double until) {
        while (soundPending && soundTrip <= until) {
            int64_t pts =
                std::llround((soundTrip - request.fromSeconds) * soundPending->sample_rate);
            if (soundFedEnd != INT64_MIN && pts < soundFedEnd) {
                const int64_t overlap = soundFedEnd - pts;
                if (overlap >= soundPending->nb_samples) {
                    soundPending = soundDecoder->next(&soundTrip);
                    continue;
                }
                soundPending = withoutFirstSamples(soundPending.get(), int(overlap));
                if (!soundPending)
                    break;
                pts = soundFedEnd;
            }
            soundPending->pts = pts;
            soundFedEnd = pts + soundPending->nb_samples;
            soundPending->time_base = {1, soundPending->sample_rate};
            if (av_buffersrc_add_frame(soundChain.source, soundPending.get()) < 0) {
                soundPending.reset();
                break;
            }
            soundPending = soundDecoder->next(&soundTrip);
            if (!pull(soundChain.sink, sound, muxer, &result.error, nullptr))
                return false;
        }
        return true;
    };

    std::vector<int64_t> lastPts(views.size(), AV_NOPTS_VALUE);
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            result.error = QStringLiteral("cancelled");
            return result;
        }
        // The earliest picture among the views goes next, so the graph's inputs advance
        // together and nothing piles up waiting for another view.
        std::size_t next = views.size();
        for (std::size_t i = 0; i < views.size(); ++i)
            if (pending[i] && (next == views.size() || pendingTrip[i] < pendingTrip[next]))
                next = i;
        if (next == views.size())
            break;
        RVFramePtr frame = std::move(pending[next]);
        const double trip = pendingTrip[next];
        int64_t pts = std::llround((trip - request.fromSeconds) * RVClipGraph::timeBase.den);
        if (lastPts[next] != AV_NOPTS_VALUE && pts <= lastPts[next])
            pts = lastPts[next] + 1;
        lastPts[next] = pts;
        frame->pts = pts;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (next == 0 && !painter.size().isEmpty()) {
            RVFramePtr strip = readoutFrames.at(trip);
            if (!strip) {
                result.error = QStringLiteral("out of memory");
                return result;
            }
            strip->pts = pts;
            if (av_buffersrc_add_frame(graph.source(views.size()), strip.get()) < 0) {
                result.error = QStringLiteral("cannot compose the read-outs");
                return result;
            }
        }
        status = av_buffersrc_add_frame(graph.source(next), frame.get());
        if (status < 0) {
            result.error = QStringLiteral("cannot compose: ") + avErrorText(status);
            return result;
        }
        pending[next] = decoders[next]->next(&pendingTrip[next]);
        if (!decoders[next]->error().isEmpty()) {
            result.error = decoders[next]->error();
            return result;
        }
        if (!pending[next])
            endInput(graph.source(next)); // this view has ended
        if (!pull(graph.sink(), video, muxer, &result.error, &result.videoFrames, &encoder))
            return result;
        if (next == 0) {
            pace.reached(trip);
            if (soundPending && !feedSound(trip + 0.5))
                return result;
        }
    }
    if (!painter.size().isEmpty())
        endInput(graph.source(views.size()));
    if (!pull(graph.sink(), video, muxer, &result.error, &result.videoFrames, &encoder) ||
        !encode(video, nullptr, muxer, &result.error))
        return result;
    if (sound.codec) {
        if (!feedSound(request.toSeconds + 1))
            return result;
        endInput(soundChain.source);
        if (!pull(soundChain.sink, sound, muxer, &result.error, nullptr) ||
            !encode(sound, nullptr, muxer, &result.error))
            return result;
    }
    for (const auto& decoder : decoders)
        result.skipped += decoder->skipped();
    result.skipped.removeDuplicates();
    if (result.videoFrames == 0) {
        result.error = QStringLiteral("no video in the chosen range");
        return result;
    }
    if (!muxer.finish()) {
        result.error = muxer.error();
        return result;
    }
    result.ok = true;
    return result;
}
