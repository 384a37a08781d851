#include "app/RVLaunchMessage.h"

namespace {
constexpr char kMagic[] = "korvela-open";
}

QByteArray RVLaunchMessage::encode(const QStringList& paths)
{
    QByteArray bytes(kMagic, sizeof kMagic); // with its NUL
    for (const QString& path : paths) {
        const QByteArray utf8 = path.toUtf8();
        if (utf8.isEmpty() || utf8.contains('\0'))
            continue;
        bytes += utf8;
        bytes += '\0';
    }
    bytes += '\0';
    return bytes;
}

std::optional<QStringList> RVLaunchMessage::decode(const QByteArray& bytes)
{
    if (bytes.size() > kMaxBytes || !bytes.startsWith(QByteArray(kMagic, sizeof kMagic)) ||
        !bytes.endsWith(QByteArray(2, '\0')))
        return std::nullopt;
    QStringList paths;
    qsizetype start = qsizetype(sizeof kMagic);
    while (start < bytes.size() - 1) {
        const qsizetype end = bytes.indexOf('\0', start);
        if (end == start)
            return std::nullopt; // an empty path before the end
        paths.append(QString::fromUtf8(bytes.constData() + start, end - start));
        start = end + 1;
    }
    return paths;
}
