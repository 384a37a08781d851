#include "ClipReadback.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

std::vector<ShownFrame> shownFrames(const QString& path)
{
    std::vector<ShownFrame> frames;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return frames;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&format);
        return frames;
    }
    AVStream* stream = format->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, stream->codecpar);
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    const auto receive = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            QImage image(frame->width, frame->height, QImage::Format_RGB888);
            scaler = sws_getCachedContext(scaler, frame->width, frame->height,
                                          AVPixelFormat(frame->format), frame->width, frame->height,
                                          AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
            uint8_t* planes[1] = {image.bits()};
            const int strides[1] = {int(image.bytesPerLine())};
            sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
            frames.push_back({frame->best_effort_timestamp * av_q2d(stream->time_base), image});
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index)
            avcodec_send_packet(decoder, packet);
        av_packet_unref(packet);
        receive();
    }
    avcodec_send_packet(decoder, nullptr);
    receive();
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return frames;
}
