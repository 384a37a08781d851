#include "clip/RVClipMuxer.h"

#include "core/platform/RVPlatformFile.h"

#include <cerrno>
#include <cstdio>

namespace {

constexpr int kIoBufferBytes = 256 * 1024;

} // namespace

QString avErrorText(int averror)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return QString::fromUtf8(text);
}

RVClipMuxer::RVClipMuxer(const QString& path) : m_file(path) {}

RVClipMuxer::~RVClipMuxer()
{
    if (m_context) {
        m_context->pb = nullptr;
        avformat_free_context(m_context);
    }
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    // m_file's destructor removes the side file unless finish() committed it.
}

bool RVClipMuxer::open()
{
    if (!m_file.open()) {
        m_error = m_file.errorString();
        return false;
    }
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    m_io = buffer ? avio_alloc_context(buffer, kIoBufferBytes, 1, this, nullptr,
                                       &RVClipMuxer::writePacket, &RVClipMuxer::seek)
                  : nullptr;
    if (!m_io) {
        av_free(buffer);
        m_error = QStringLiteral("out of memory");
        return false;
    }
    const int status = avformat_alloc_output_context2(&m_context, nullptr, "mp4", nullptr);
    if (status < 0)
        return failWith(QStringLiteral("cannot make an MP4"), status);
    m_context->pb = m_io;
    m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
    return true;
}

bool RVClipMuxer::writeHeader()
{
    const int status = avformat_write_header(m_context, nullptr);
    if (status < 0)
        return failWith(QStringLiteral("cannot start the clip"), status);
    m_headerWritten = true;
    return true;
}

bool RVClipMuxer::write(AVPacket* packet)
{
    const int status = av_interleaved_write_frame(m_context, packet);
    if (status < 0)
        return failWith(QStringLiteral("cannot write the clip"), status);
    return true;
}

bool RVClipMuxer::finish()
{
    if (!m_headerWritten)
        return false;
    int status = av_write_trailer(m_context);
    m_headerWritten = false;
    if (status >= 0) {
        avio_flush(m_io);
        status = m_io->error;
    }
    if (status < 0)
        return failWith(QStringLiteral("cannot finish the clip"), status);
    if (!m_file.commit()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool RVClipMuxer::failWith(const QString& what, int averror)
{
    // The writer's own reason (a full disk, a pulled card) says more than FFmpeg's I/O error.
    const QString reason = m_file.errorString();
    m_error = what + QStringLiteral(": ") +
              (averror == AVERROR(EIO) && !reason.isEmpty() ? reason : avErrorText(averror));
    m_file.cancelWriting();
    return false;
}

int RVClipMuxer::writePacket(void* opaque, uint8_t* data, int size)
{
    auto* self = static_cast<RVClipMuxer*>(opaque);
    const qint64 written = self->m_file.write(reinterpret_cast<const char*>(data), size);
    return written == size ? size : AVERROR(EIO);
}

int64_t RVClipMuxer::seek(void* opaque, int64_t offset, int whence)
{
    // The muxer goes back to fill in box sizes; the side file is a plain file, so its
    // descriptor seeks and later writes land there.
    auto* self = static_cast<RVClipMuxer*>(opaque);
    const int fd = self->m_file.handle();
    if (fd < 0)
        return AVERROR(EIO);
    if (whence == AVSEEK_SIZE) {
        const qint64 size = RVPlatformFile::fileSize(fd);
        return size < 0 ? AVERROR(int(-size)) : size;
    }
    using From = RVPlatformFile::SeekFrom;
    const int base = whence & ~AVSEEK_FORCE;
    if (base != SEEK_SET && base != SEEK_CUR && base != SEEK_END)
        return AVERROR(EINVAL);
    const qint64 at = RVPlatformFile::seek(fd, offset,
                                           base == SEEK_SET   ? From::Start
                                           : base == SEEK_CUR ? From::Current
                                                              : From::End);
    return at < 0 ? AVERROR(int(-at)) : at;
}
