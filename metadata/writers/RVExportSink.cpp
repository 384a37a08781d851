#include "metadata/writers/RVExportSink.h"

#include "core/RVAtomicFile.h"
#include "core/platform/RVPlatformFile.h"
#include "metadata/writers/RVBackgroundFlush.h"

#include <QIODevice>
#include <QtEndian>

#ifdef Q_OS_LINUX
#endif

RVExportSink::RVExportSink(QIODevice* device, Encoding encoding)
    : m_device(device), m_encoding(encoding)
{
    m_buffer.reserve(kBlockBytes + kBlockBytes / 4);
}

RVExportSink::RVExportSink() = default;
RVExportSink::~RVExportSink() = default;

void RVExportSink::reserve(qsizetype bytes)
{
    if (!m_device)
        m_buffer.reserve(bytes);
}

bool RVExportSink::finish()
{
    if (m_device) {
        if (m_encoding == Encoding::Utf16LittleEndian && !m_wroteBom)
            flush(true); // an empty table still gets its byte-order mark
        else if (!m_buffer.isEmpty())
            flush(true);
    }
    if (m_flush) {
        const QString error = m_flush->finish();
        m_flush.reset();
        if (!error.isEmpty() && !m_failed) {
            m_failed = true;
            m_error = error;
        }
    }
    return !m_failed;
}

// Length of the complete UTF-8 sequences at the start of [data, data + size): a block is cut
// before a character whose bytes are not all there yet, so no character is split in two.
static qsizetype completeUtf8Prefix(const char* data, qsizetype size)
{
    qsizetype start = size;
    // A sequence is at most four bytes: look back over at most three continuation bytes.
    while (start > 0 && size - start < 4 && (uchar(data[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return size;
    const uchar lead = uchar(data[start - 1]);
    const qsizetype need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return size - (start - 1) >= need ? size : start - 1;
}

void RVExportSink::flush(bool all)
{
    if (m_encoding == Encoding::Utf8) {
        writeBytes(m_buffer.constData(), m_buffer.size());
        m_buffer.truncate(0); // keeps the block's memory, unlike clear()
        return;
    }
    const qsizetype take =
        all ? m_buffer.size() : completeUtf8Prefix(m_buffer.constData(), m_buffer.size());
    QString block = QString::fromUtf8(m_buffer.constData(), take);
    if (!m_wroteBom)
        block.prepend(QChar(0xFEFF));
    m_wroteBom = true;
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        for (QChar& c : block)
            c = QChar(qToLittleEndian(c.unicode()));
    }
    writeBytes(reinterpret_cast<const char*>(block.constData()), block.size() * 2);
    m_buffer.remove(0, take);
}

void RVExportSink::writeBytes(const char* data, qsizetype size)
{
    if (m_failed)
        return;
    while (size > 0) {
        const qint64 written = m_device->write(data, size);
        if (written <= 0) {
            m_failed = true;
            m_error = m_device->errorString(); // names the file and the reason
            return;
        }
        data += written;
        size -= written;
    }
    startWriteback();
}

void RVExportSink::startWriteback()
{
    // The atomic file is unbuffered: what write() accepted is already with the kernel.
    auto* file = dynamic_cast<RVAtomicFile*>(m_device);
    if (!file || file->handle() < 0)
        return;
    const qint64 end = file->writtenBytes();
    if (end > m_writebackFrom &&
        RVPlatformFile::startWriteBack(file->handle(), m_writebackFrom, end - m_writebackFrom))
        m_writebackFrom = end;
    if (end - m_flushRequestedAt >= kBackgroundFlushBytes) {
        if (!m_flush)
            m_flush = std::make_unique<RVBackgroundFlush>(file->handle());
        m_flush->request();
        m_flushRequestedAt = end;
    }
}
