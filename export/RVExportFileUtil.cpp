#include "export/RVExportFileUtil.h"

#include "core/RVAtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

namespace {

// The file's own error already names the target ("Could not write <path>: <reason>").
RVWriteResult failure(const RVAtomicFile& file)
{
    return {false, file.errorString()};
}

// Everything up to the last extension of the file name, if it has one ("a.b" -> "a"; a
// name that is only ".hidden" has none).
QString withoutExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return path;
    return path.left(dot);
}

} // namespace

RVWriteResult RVExportFileUtil::write(const QString& path, RVExportSink::Encoding encoding,
                                      const std::function<void(RVExportSink&)>& generate)
{
    RVAtomicFile file(path);
    if (!file.open())
        return failure(file);
    RVExportSink sink(&file, encoding);
    generate(sink);
    if (!sink.finish()) {
        const QString reason = sink.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit())
        return failure(file);
    return {true, QString()};
}

RVWriteResult RVExportFileUtil::writeUtf8(const QString& path, const QByteArray& text)
{
    return write(path, RVExportSink::Encoding::Utf8, [&](RVExportSink& sink) {
        sink.append(std::string_view(text.constData(), std::size_t(text.size())));
    });
}

RVWriteResult RVExportFileUtil::writeUtf16(const QString& path, const QString& text)
{
    RVAtomicFile file(path);
    if (!file.open())
        return failure(file);
    const char16_t bom = qToLittleEndian(char16_t(0xFEFF));
    bool written = file.write(reinterpret_cast<const char*>(&bom), 2) == 2;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        const qint64 bytes = text.size() * 2;
        written =
            written && file.write(reinterpret_cast<const char*>(text.constData()), bytes) == bytes;
    } else {
        QString swapped = text;
        for (QChar& c : swapped)
            c = QChar(qToLittleEndian(c.unicode()));
        const qint64 bytes = swapped.size() * 2;
        written = written &&
                  file.write(reinterpret_cast<const char*>(swapped.constData()), bytes) == bytes;
    }
    if (!written)
        return failure(file); // the side file goes with `file`
    if (!file.commit())
        return failure(file);
    return {true, QString()};
}

QString RVExportFileUtil::sensorTablePath(const QString& gpsTablePath)
{
    const QString suffix = QStringLiteral(".gsensor.csv");
    QString path = withoutExtension(withoutExtension(gpsTablePath)) + suffix;
    if (path == gpsTablePath)
        path = withoutExtension(gpsTablePath) + suffix;
    return path;
}
