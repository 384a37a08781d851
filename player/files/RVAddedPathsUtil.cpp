#include "player/files/RVAddedPathsUtil.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {
QString withDetail(const QString& format, const QString& detail)
{
    return format.contains(QLatin1String("%1")) ? format.arg(detail)
                                                : format + QLatin1Char(' ') + detail;
}
} // namespace

RVAddedPaths RVAddedPathsUtil::resolve(const QStringList& arguments)
{
    // "scheme:/..." with a scheme of two letters or more (not a drive letter): a URI. Only
    // file URIs name something on this machine.
    static const QRegularExpression uri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:/"));
    RVAddedPaths result;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        QString path = argument;
        if (uri.match(argument).hasMatch()) {
            const QUrl url(argument);
            if (!url.isLocalFile()) {
                //% "\"%1\" is not a local file"
                result.problems << withDetail(qtTrId("PATH_NOT_LOCAL"), argument);
                continue;
            }
            path = url.toLocalFile();
        }
        const QFileInfo info(path);
        if (!info.exists()) {
            //% "\"%1\" does not exist"
            result.problems << withDetail(qtTrId("PATH_DOES_NOT_EXIST"), path);
            continue;
        }
        result.usable << info.absoluteFilePath();
    }
    return result;
}
