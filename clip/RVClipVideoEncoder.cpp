#include "clip/RVClipVideoEncoder.h"

#include "clip/RVClipMuxer.h"

extern "C" {
#include <libavutil/hwcontext.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

void applyCommon(AVCodecContext* codec, const RVClipVideoEncoder::Settings& settings)
{
    codec->width = settings.size.width();
    codec->height = settings.size.height();
    codec->time_base = settings.timeBase;
    codec->framerate = settings.frameRate;
    codec->sample_aspect_ratio = {1, 1};
    codec->gop_size = settings.gopSize;
    if (settings.globalHeader)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

} // namespace

RVClipVideoEncoder::~RVClipVideoEncoder()
{
    close();
}

void RVClipVideoEncoder::close()
{
    avcodec_free_context(&m_codec);
    sws_freeContext(m_toNv12);
    m_toNv12 = nullptr;
    m_nv12.reset();
    m_hardware = false;
}

bool RVClipVideoEncoder::open(const Settings& settings, QString* error)
{
    QString why;
    if (settings.tryHardware && openHardware(settings, &why))
        return true;
    close();
    return openSoftware(settings, error);
}

QString RVClipVideoEncoder::name() const
{
    return m_codec && m_codec->codec ? QString::fromLatin1(m_codec->codec->name) : QString();
}

bool RVClipVideoEncoder::openHardware(const Settings& settings, QString* why)
{
    const AVCodec* vaapi = avcodec_find_encoder_by_name("h264_vaapi");
    if (!vaapi) {
        *why = QStringLiteral("no VAAPI encoder in FFmpeg");
        return false;
    }
    const QByteArray path = settings.hardwareDevice.toLocal8Bit();
    AVBufferRef* device = nullptr;
    int status = av_hwdevice_ctx_create(&device, AV_HWDEVICE_TYPE_VAAPI,
                                        path.isEmpty() ? nullptr : path.constData(), nullptr, 0);
    if (status < 0) {
        *why = QStringLiteral("no VAAPI device: ") + avErrorText(status);
        return false;
    }
    AVBufferRef* frames = av_hwframe_ctx_alloc(device);
    av_buffer_unref(&device); // the frames' context keeps its own reference
    if (!frames) {
        *why = QStringLiteral("out of memory");
        return false;
    }
    auto* pool = reinterpret_cast<AVHWFramesContext*>(frames->data);
    pool->format = AV_PIX_FMT_VAAPI;
    pool->sw_format = AV_PIX_FMT_NV12;
    pool->width = settings.size.width();
    pool->height = settings.size.height();
    pool->initial_pool_size = 16;
    status = av_hwframe_ctx_init(frames);
    if (status >= 0) {
        m_codec = avcodec_alloc_context3(vaapi);
        if (m_codec) {
            applyCommon(m_codec, settings);
            m_codec->pix_fmt = AV_PIX_FMT_VAAPI;
            m_codec->hw_frames_ctx = av_buffer_ref(frames);
            m_codec->global_quality = kQuality;
            // Constant quality where the driver offers it; drivers without it pick their own
            // rate control, which is still a usable clip.
            av_opt_set_int(m_codec->priv_data, "qp", kQuality, 0);
            status =
                m_codec->hw_frames_ctx ? avcodec_open2(m_codec, vaapi, nullptr) : AVERROR(ENOMEM);
        } else {
            status = AVERROR(ENOMEM);
        }
    }
    av_buffer_unref(&frames);
    if (status < 0) {
        *why = QStringLiteral("the VAAPI encoder does not start: ") + avErrorText(status);
        return false;
    }
    m_nv12.reset(av_frame_alloc());
    if (!m_nv12) {
        *why = QStringLiteral("out of memory");
        return false;
    }
    m_nv12->format = AV_PIX_FMT_NV12;
    m_nv12->width = settings.size.width();
    m_nv12->height = settings.size.height();
    if (av_frame_get_buffer(m_nv12.get(), 0) < 0) {
        *why = QStringLiteral("out of memory");
        return false;
    }
    m_hardware = true;
    return true;
}

bool RVClipVideoEncoder::openSoftware(const Settings& settings, QString* error)
{
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264)
        h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    m_codec = h264 ? avcodec_alloc_context3(h264) : nullptr;
    if (!m_codec) {
        *error = QStringLiteral("no H.264 encoder");
        return false;
    }
    applyCommon(m_codec, settings);
    m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
    m_codec->thread_count = 0;
    av_opt_set(m_codec->priv_data, "preset", kPreset, 0);
    av_opt_set_int(m_codec->priv_data, "crf", kQuality, 0);
    const int status = avcodec_open2(m_codec, h264, nullptr);
    if (status < 0) {
        *error = QStringLiteral("cannot start the H.264 encoder: ") + avErrorText(status);
        return false;
    }
    return true;
}

RVFramePtr RVClipVideoEncoder::prepare(RVFramePtr picture, QString* error)
{
    if (!m_hardware)
        return picture;
    // The pool's NV12 picture is reused: the upload copies it before the next one is made.
    m_toNv12 = sws_getCachedContext(m_toNv12, picture->width, picture->height,
                                    AVPixelFormat(picture->format), m_nv12->width, m_nv12->height,
                                    AV_PIX_FMT_NV12, SWS_POINT, nullptr, nullptr, nullptr);
    RVFramePtr uploaded(av_frame_alloc());
    int status = m_toNv12 && uploaded ? av_frame_make_writable(m_nv12.get()) : AVERROR(ENOMEM);
    if (status >= 0)
        status = sws_scale(m_toNv12, picture->data, picture->linesize, 0, picture->height,
                           m_nv12->data, m_nv12->linesize) > 0
                     ? 0
                     : AVERROR(EINVAL);
    if (status >= 0)
        status = av_hwframe_get_buffer(m_codec->hw_frames_ctx, uploaded.get(), 0);
    if (status >= 0)
        status = av_hwframe_transfer_data(uploaded.get(), m_nv12.get(), 0);
    if (status >= 0)
        status = av_frame_copy_props(uploaded.get(), picture.get());
    if (status < 0) {
        *error =
            QStringLiteral("cannot hand the picture to the VAAPI encoder: ") + avErrorText(status);
        return nullptr;
    }
    return uploaded;
}
