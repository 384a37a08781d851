// The camera firmware check of RVUpdater: which camera the first mounted card belongs to (its
// "/autorun.inf", key "firmware", such as X1-15 for model X1), whether the maker publishes a
// newer firmware for that model (a key=value description with "version" and "url", fetched
// from the "FIRMWARE_URL" template with "%model%" replaced), and, when the user agrees, the
// image "sotava.bin" from the published zip archive placed on the card beside the empty
// marker "firmware.ready" that tells the camera to install it.

#include "update/RVUpdater.h"

#include "metadata/RVSettings.h"
#include "metadata/RVStringUtil.h"
#include "update/RVDownloadUtil.h"
#include "update/RVPrivateFolder.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace {

std::atomic<bool> s_firmwareChecked{false};

const QLatin1String kImageName("sotava.bin");
const QLatin1String kMarkerName("firmware.ready");

bool isHttpsUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.scheme() == QLatin1String("https") && RVDownloadUtil::isFetchableUrl(url);
}

// Copies the image to the card, replacing an image an earlier run left there. The copy goes to
// a side name first and is renamed over the old image, so the card never holds half an image
// under the name the camera looks for.
bool copyImageToCard(const QString& image, const QString& card)
{
    const QString target = card + QLatin1Char('/') + kImageName;
    const QString part = target + QLatin1String(".part");
    QFile::remove(part);
    if (!QFile::copy(image, part)) {
        qWarning().noquote() << "Copy failed:" << image << "to" << part;
        return false;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(part).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error) {
        qWarning().noquote() << "Copy failed:" << QString::fromStdString(error.message());
        QFile::remove(part);
        return false;
    }
    return true;
}

bool writeEmptyMarker(const QString& card)
{
    QSaveFile marker(card + QLatin1Char('/') + kMarkerName);
    if (!marker.open(QIODevice::WriteOnly) || !marker.commit()) {
        qWarning().noquote() << "Write returned error:" << marker.errorString();
        return false;
    }
    return true;
}

} // namespace

void RVUpdater::checkReleasedFirmwareVersion()
{
    std::atomic<bool>& checked =
        m_environment.firmwareChecked ? *m_environment.firmwareChecked : s_firmwareChecked;
    if (checked.load())
        return;
    const QStringList cards =
        m_environment.dashcamFlashDrives ? m_environment.dashcamFlashDrives() : QStringList();
    if (cards.isEmpty())
        return;
    checked.store(true);
    const QString card = cards.first();

    QFile autorun(card + QLatin1String("/autorun.inf"));
    if (!autorun.open(QIODevice::ReadOnly))
        return;
    const QMap<QString, QString> cardInfo =
        RVStringUtil::createDictionaryFromText(QString::fromLatin1(autorun.readAll()));
    if (!cardInfo.contains(QStringLiteral("firmware"))) {
        qInfo("The card names no firmware version");
        return;
    }
    const QString current = cardInfo.value(QStringLiteral("firmware"));
    const QString model = current.section(QLatin1Char('-'), 0, 0);

    QString url = RVSettings::textValue(RVSettings::kFirmwareUrl);
    if (url.isEmpty())
        return;
    // The model comes from a file on the card; encoded, it cannot change the address's shape.
    url.replace(QLatin1String("%model%"), QString::fromLatin1(QUrl::toPercentEncoding(model)));
    if (!isHttpsUrl(url)) {
        qWarning().noquote() << "Refusing firmware description that is not https:" << url;
        return;
    }
    const QMap<QString, QString> description = RVDownloadUtil::requestIni(url, m_stop.get_token());
    const auto version = description.constFind(QStringLiteral("version"));
    const auto archiveUrl = description.constFind(QStringLiteral("url"));
    if (version == description.cend() || archiveUrl == description.cend() ||
        QString::compare(*version, current, Qt::CaseSensitive) <= 0)
        return;

    if (!askOnGuiThread(QStringLiteral("UPTATE_FIRMWARE_READY_TITLE"),
                        QStringLiteral("UPTATE_FIRMWARE_READY_MESSAGE")))
        return;

    bool placed = false;
    std::unique_ptr<QTemporaryDir> folder;
    if (!isHttpsUrl(*archiveUrl))
        qWarning().noquote() << "Refusing firmware download that is not https:" << *archiveUrl;
    else
        folder = makePrivateTemporaryFolder();
    if (folder) {
        const QString archive = folder->filePath(QStringLiteral("kvl_firmware.zip"));
        const QString unpacked = folder->filePath(QStringLiteral("kvl_firmware"));
        if (RVDownloadUtil::downloadFile(*archiveUrl, archive, m_stop.get_token())) {
            QDir().mkpath(unpacked);
            archiveAt(archive, unpacked);
            placed = copyImageToCard(unpacked + QLatin1Char('/') + kImageName, card) &&
                     writeEmptyMarker(card);
        }
    }
    if (m_stop.stop_requested())
        return; // the application is closing; nobody is left to tell
    if (placed)
        alertOnGuiThread(QStringLiteral("UPTATE_FIRMWARE_FINISHED_TITLE"),
                         QStringLiteral("UPTATE_FIRMWARE_FINISHED_MESSAGE"));
    else
        alertOnGuiThread(QStringLiteral("UPTATE_FAILED_FINISHED_TITLE"),
                         QStringLiteral("UPTATE_FAILED_FINISHED_MESSAGE"));
}
