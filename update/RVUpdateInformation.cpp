#include "update/RVUpdateInformation.h"

#include <QList>
#include <QStringList>

#include <limits>

namespace {

// Leading decimal digits as an integer, saturating instead of overflowing on absurdly long
// components.
qint64 leadingInteger(QStringView text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::numeric_limits<qint64>::max();
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

RVUpdateInformation RVUpdateInformation::parse(const QByteArray& body)
{
    static const QLatin1String kVersion("macVersion");
    static const QLatin1String kDownload("macDownloadURL");
    static const QLatin1String kFirmware("firmwareURL");
    static const QLatin1String kDownloadSha("macDownloadSHA256");

    QString text = QString::fromLatin1(body);
    text.remove(QLatin1Char('\r'));
    RVUpdateInformation info;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        // The value starts one character past the key, whatever that character is.
        const auto valueAfter = [&line](QLatin1String key) { return line.mid(key.size() + 1); };
        if (line.startsWith(kVersion)) {
            if (line.size() > kVersion.size())
                info.macVersion = valueAfter(kVersion).toString();
        } else if (line.startsWith(kDownload)) {
            if (line.size() > kDownload.size())
                info.macDownloadURL = valueAfter(kDownload).toString();
        } else if (line.startsWith(kDownloadSha)) {
            if (line.size() > kDownloadSha.size())
                info.macDownloadSHA256 = valueAfter(kDownloadSha).toString();
        } else if (line.startsWith(kFirmware)) {
            if (line.size() > kFirmware.size())
                info.firmwareURL = valueAfter(kFirmware).toString();
        }
    }
    return info;
}

bool isPublishedVersionNewer(const QString& installedVersion, const QString& publishedVersion)
{
    const QStringList installed = installedVersion.split(QLatin1Char('.'));
    const QStringList published = publishedVersion.split(QLatin1Char('.'));
    const qsizetype n = std::min(installed.size(), published.size());
    // The first component that differs decides. Letting a smaller one pass on to a later,
    // greater one would offer 1.5 as an update to 2.0 and install the older program.
    for (qsizetype i = 0; i < n; ++i) {
        const auto publishedComponent = leadingInteger(published[i]);
        const auto installedComponent = leadingInteger(installed[i]);
        if (publishedComponent != installedComponent)
            return publishedComponent > installedComponent;
    }
    return published.size() > n;
}

namespace {

// The version cut into runs of digits and runs of anything else: "X1-15" is X, 1, -, 15.
QList<QStringView> versionParts(QStringView version)
{
    QList<QStringView> parts;
    for (qsizetype start = 0; start < version.size();) {
        const bool digits = version[start].isDigit();
        qsizetype end = start + 1;
        while (end < version.size() && version[end].isDigit() == digits)
            ++end;
        parts.append(version.mid(start, end - start));
        start = end;
    }
    return parts;
}

// Two runs of digits as numbers of any length: leading zeros dropped, then the longer one is
// larger, and among equal lengths the text order is the number order.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

bool isPublishedFirmwareNewer(const QString& installedVersion, const QString& publishedVersion)
{
    const QList<QStringView> installed = versionParts(installedVersion);
    const QList<QStringView> published = versionParts(publishedVersion);
    const qsizetype n = std::min(installed.size(), published.size());
    for (qsizetype i = 0; i < n; ++i) {
        const bool numbers = installed[i].front().isDigit() && published[i].front().isDigit();
        const int order = numbers ? compareNumbers(published[i], installed[i])
                                  : published[i].compare(installed[i], Qt::CaseSensitive);
        if (order != 0)
            return order > 0;
    }
    return published.size() > n;
}
