#pragma once

#include <QString>

extern "C" {
#include <libavformat/avformat.h>
}

// One source video file opened for reading: its best video stream, and its first audio
// stream when it has one. Times on the file's own line start at 0 with the earliest stream.
class RVClipInput final
{
public:
    RVClipInput() = default;
    ~RVClipInput();
    RVClipInput(const RVClipInput&) = delete;
    RVClipInput& operator=(const RVClipInput&) = delete;

    // False, with error() set, when the file cannot be opened or holds no video.
    bool open(const QString& path);
    AVFormatContext* context() const { return m_context; }
    AVStream* video() const { return m_video; }
    AVStream* audio() const { return m_audio; }
    // The file's playing length in seconds (0 when not known).
    double durationSeconds() const;
    // Seconds on the file's time line of a timestamp of `stream` (NaN for no timestamp).
    double fileSeconds(const AVStream* stream, int64_t timestamp) const;
    // The timestamp of `stream` at fileSeconds `seconds`.
    int64_t streamTimestamp(const AVStream* stream, double seconds) const;
    // Moves reading to the last video key frame at or before fileSeconds `seconds`.
    bool seekBefore(double seconds);
    const QString& error() const { return m_error; }

private:
    AVFormatContext* m_context = nullptr;
    AVStream* m_video = nullptr;
    AVStream* m_audio = nullptr;
    double m_startSeconds = 0;
    QString m_error;
};
