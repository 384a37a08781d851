#include "metadata/RVMetaPath.h"

#include "metadata/RVNativePath.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    struct stat st;
    return ::stat(RVNativePath::encode(path).constData(), &st) == 0;
}

bool RVMetaPath::open(QFile& file, const QString& path)
{
    // QFile would encode the name itself and lose bytes that are not UTF-8. Opened without
    // blocking, since a pipe where a side file is expected would wait for a writer for ever;
    // only regular files are read.
    const int fd =
        ::open(RVNativePath::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

std::optional<QByteArray> RVMetaPath::readWholeFile(const QString& path)
{
    QFile file;
    if (!open(file, path))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}
