#pragma once

#include "clip/RVClipDecoder.h"

#include <QSize>
#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
}

struct SwsContext;

// The clip's H.264 encoder. VAAPI's (FFmpeg's h264_vaapi) when a render device opens and the
// encoder starts on it: each composed picture is converted to NV12 and uploaded, and the
// device encodes it, leaving the processor to decode and compose. Otherwise x264 at the
// "veryfast" preset, the software encoder that always works.
class RVClipVideoEncoder final
{
public:
    struct Settings
    {
        QSize size;             // even numbers
        AVRational timeBase{};  // of the frames sent
        AVRational frameRate{}; // nominal
        int gopSize = 1;        // pictures between key frames
        bool globalHeader = false;
        // Try VAAPI first, on this render device (empty: FFmpeg's choice of render node).
        bool tryHardware = false;
        QString hardwareDevice;
    };

    RVClipVideoEncoder() = default;
    ~RVClipVideoEncoder();
    RVClipVideoEncoder(const RVClipVideoEncoder&) = delete;
    RVClipVideoEncoder& operator=(const RVClipVideoEncoder&) = delete;

    // False with *error set when not even the software encoder starts.
    bool open(const Settings& settings, QString* error);
    AVCodecContext* codec() const { return m_codec; }
    bool hardware() const { return m_hardware; }
    // The encoder's FFmpeg name ("h264_vaapi", "libx264").
    QString name() const;
    // The composed 4:2:0 picture as the encoder takes it: itself for the software encoder, a
    // copy in the device's memory for VAAPI (null with *error when that fails).
    RVFramePtr prepare(RVFramePtr picture, QString* error);

    // x264's settings, for the manifest and the benchmarks.
    static constexpr const char* kPreset = "veryfast";
    static constexpr int kQuality = 23; // x264's CRF; VAAPI's constant QP

private:
    bool openHardware(const Settings& settings, QString* why);
    bool openSoftware(const Settings& settings, QString* error);
    void close();

    AVCodecContext* m_codec = nullptr;
    bool m_hardware = false;
    SwsContext* m_toNv12 = nullptr;
    RVFramePtr m_nv12;
};
