#include "export/RVExportFileUtil.h"

#include "core/RVAtomicFile.h"

#include <QDir>
#include <QFileInfo>

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

QString RVExportFileUtil::sensorTablePath(const QString& gpsTablePath)
{
    const QString suffix = QStringLiteral(".gsensor.csv");
    QString path = withoutExtension(withoutExtension(gpsTablePath)) + suffix;
    if (path == gpsTablePath)
        path = withoutExtension(gpsTablePath) + suffix;
    return path;
}
