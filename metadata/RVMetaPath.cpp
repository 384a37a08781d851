#include "metadata/RVMetaPath.h"

#include "core/platform/RVPlatformFile.h"

#include <QDebug>
#include <QFile>

#include <utility>

namespace {

QString withoutLastComponent(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

QString lastComponent(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

// The position of the last component's extension dot, or -1. A leading dot (".hidden") is a
// name, not an extension.
qsizetype extensionDot(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return -1;
    return dot;
}

} // namespace

QString RVMetaPath::withoutLastComponents(const QString& path, int n)
{
    QString p = path;
    for (int i = 0; i < n; ++i)
        p = withoutLastComponent(p);
    return p;
}

QString RVMetaPath::baseName(const QString& path)
{
    const QString name = lastComponent(path);
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? name : name.left(dot);
}

QString RVMetaPath::withoutExtension(const QString& path)
{
    const qsizetype dot = extensionDot(path);
    return dot < 0 ? path : path.left(dot);
}

bool RVMetaPath::exists(const QString& path)
{
    return RVPlatformFile::stat(path).kind != RVPlatformFile::Kind::Missing;
}

bool RVMetaPath::openRegularFile(RVRegularFile& file, const QString& path,
                                 QIODevice::OpenMode extra)
{
    file.close();
    // Anything but a regular file (after links) is never opened (see openRegularForReading).
    const int fd = RVPlatformFile::openRegularForReading(path);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly | extra, QFileDevice::DontCloseHandle)) {
        RVPlatformFile::closeFile(fd);
        return false;
    }
    file.m_descriptor = fd;
    return true;
}

RVRegularFile::~RVRegularFile()
{
    close();
}

void RVRegularFile::close()
{
    QFile::close();
    RVPlatformFile::closeFile(std::exchange(m_descriptor, -1));
}

void RVMetaPath::reportOversize(const QString& path, qint64 size, qint64 maxBytes)
{
    qWarning().noquote() << QStringLiteral(
                                "Skipped %1: %2 bytes, more than the %3 read from such a file")
                                .arg(path)
                                .arg(size)
                                .arg(maxBytes);
}

std::optional<QByteArray> RVMetaPath::readWholeFile(const QString& path, qint64 maxBytes)
{
    RVRegularFile file;
    if (!openRegularFile(file, path))
        return std::nullopt;
    const qint64 size = file.size();
    if (size > maxBytes) {
        reportOversize(path, size, maxBytes);
        return std::nullopt;
    }
    // The size read first bounds the read, even when the file grows meanwhile.
    QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<RVMetaData> RVMetaPath::readSideLog(std::initializer_list<QString> candidates,
                                                  qint64 maxBytes,
                                                  RVMetaData (*parse)(std::string_view))
{
    for (const QString& path : candidates) {
        if (!exists(path))
            continue;
        const std::optional<QByteArray> text = readWholeFile(path, maxBytes);
        if (!text)
            return std::nullopt;
        RVMetaData data = parse(std::string_view(text->constData(), std::size_t(text->size())));
        if (data.points.empty() && data.gSensorData.empty())
            return std::nullopt;
        data.relatedFiles = QStringList{path};
        return data;
    }
    return std::nullopt;
}
