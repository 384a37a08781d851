#pragma once

#include "core/RVAtomicFile.h"

#include <QString>

extern "C" {
#include <libavformat/avformat.h>
}

// An MP4 being written through the atomic writer: FFmpeg's muxer writes into the side file
// (seeking back to fill in sizes, which a plain stream could not), and only finish() puts the
// complete clip in place. Destroying an unfinished muxer leaves no file.
class RVClipMuxer final
{
public:
    explicit RVClipMuxer(const QString& path);
    ~RVClipMuxer();
    RVClipMuxer(const RVClipMuxer&) = delete;
    RVClipMuxer& operator=(const RVClipMuxer&) = delete;

    // Opens the side file and makes the format context; false with error() set.
    bool open();
    AVFormatContext* context() { return m_context; }
    // After the streams are added: writes the header. False with error() set.
    bool writeHeader();
    // One packet in the stream's time base; false with error() set (a full disk shows here).
    bool write(AVPacket* packet);
    // Writes the trailer and commits the file. False (and no file) on any failure.
    bool finish();
    const QString& error() const { return m_error; }
    qint64 writtenBytes() const { return m_file.writtenBytes(); }

private:
    static int writePacket(void* opaque, uint8_t* data, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);
    bool failWith(const QString& what, int averror);

    RVAtomicFile m_file;
    AVFormatContext* m_context = nullptr;
    AVIOContext* m_io = nullptr;
    QString m_error;
    bool m_headerWritten = false;
};

// FFmpeg's text for an error code.
QString avErrorText(int averror);
