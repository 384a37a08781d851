#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string_view>
#include <utility>

class QIODevice;
class RVBackgroundFlush;

// Where an export's text goes while it is being built. The writers produce UTF-8; the sink
// keeps it in memory (the window needs the whole text before it asks where to save it) or
// passes it on to a device in blocks of 256 KiB, so a day-long track never sits in memory
// twice. For the spreadsheet tables it re-encodes each block as UTF-16 little-endian
// behind a byte-order mark, which is what spreadsheet programs open with the right characters.
class RVExportSink final
{
public:
    enum class Encoding
    {
        Utf8,
        Utf16LittleEndian
    };

    // In memory; takeText() gives the UTF-8 text.
    RVExportSink();
    // Streams to an open device in the given encoding; finish() writes what is left.
    RVExportSink(QIODevice* device, Encoding encoding);
    ~RVExportSink(); // waits for the background flushes asked for
    RVExportSink(const RVExportSink&) = delete;
    RVExportSink& operator=(const RVExportSink&) = delete;

    void reserve(qsizetype bytes);
    void append(std::string_view text)
    {
        m_buffer.append(text.data(), qsizetype(text.size()));
        if (m_device && m_buffer.size() >= kBlockBytes)
            flush(false);
    }
    void append(char c) { append(std::string_view(&c, 1)); }

    // Writes out whatever is buffered (streaming only); false once any write has failed.
    bool finish();
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

    // The text built in memory, leaving the sink empty.
    QByteArray takeText() { return std::exchange(m_buffer, QByteArray()); }

private:
    // Large enough that a write call is cheap next to formatting its text, small enough that
    // the buffer's pages (each a fault when first written) stay few.
    static constexpr qsizetype kBlockBytes = 256 << 10;
    // A file's data is made durable on another thread each time this much more has been
    // written (see RVBackgroundFlush); smaller files are flushed only by their writer. Half a
    // megabyte measured best for a 7 MB export: 1.4 ms less elapsed time, against 0.6 ms for
    // every 2 MB (more often than this gains no more).
    static constexpr qint64 kBackgroundFlushBytes = 512 << 10;

    void flush(bool all);
    void writeBytes(const char* data, qsizetype size);
    void startWriteback();

    QByteArray m_buffer;
    QIODevice* m_device = nullptr;
    Encoding m_encoding = Encoding::Utf8;
    bool m_wroteBom = false;
    qint64 m_writebackFrom = 0;
    qint64 m_flushRequestedAt = 0;
    std::unique_ptr<RVBackgroundFlush> m_flush;
    bool m_failed = false;
    QString m_error;
};
