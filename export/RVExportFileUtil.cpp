#include "export/RVExportFileUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace {

RVWriteResult failure(const QString& path, const QString& reason)
{
    return {false,
            QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(path), reason)};
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, file.errorString());
    RVExportSink sink(&file, encoding);
    generate(sink);
    if (!sink.finish()) {
        file.cancelWriting();
        return failure(path, sink.errorString());
    }
    if (!file.commit())
        return failure(path, file.errorString());
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, file.errorString());
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
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(path, reason);
    }
    if (!file.commit())
        return failure(path, file.errorString());
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
