// The camera firmware check of RVUpdater: which camera the first mounted card belongs to (its
// "/autorun.inf", key "firmware", such as X1-15 for model X1), whether the maker publishes a
// newer firmware for that model (a key=value description with "version" and "url", fetched
// from the "FIRMWARE_URL" template with "%model%" replaced), and, when the user agrees, the
// image "sotava.bin" from the published zip archive placed on the card beside the empty
// marker "firmware.ready" that tells the camera to install it.

#include "update/RVUpdater.h"

#include "core/RVAtomicFile.h"
#include "core/RVSettings.h"
#include "core/RVStringUtil.h"
#include "update/RVDownloadUtil.h"
#include "update/RVPrivateFolder.h"
#include "update/ZipArchive.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

namespace {

std::atomic<bool> s_firmwareChecked{false};

const QLatin1String kImageName("sotava.bin");
const QLatin1String kMarkerName("firmware.ready");

bool isHttpsUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.scheme() == QLatin1String("https") && RVDownloadUtil::isFetchableUrl(url);
}

// Copies the image to the card, replacing an image an earlier run left there. The copy is
// written aside, every write checked and synced, and renamed over the old image, so the card
// never holds half an image (a full card, a pulled card) under the name the camera looks for,
// and a link planted at that name is replaced rather than written through.
bool copyImageToCard(const QString& image, const QString& card)
{
    QFile source(image);
    if (!source.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Copy failed:" << image << source.errorString();
        return false;
    }
    RVAtomicFile target(card + QLatin1Char('/') + kImageName);
    if (!target.open()) {
        qWarning().noquote() << "Copy failed:" << target.errorString();
        return false;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(buffer.data(), buffer.size());
        if (n < 0) {
            qWarning().noquote() << "Copy failed:" << image << source.errorString();
            return false;
        }
        if (n == 0)
            break;
        if (target.write(buffer.constData(), n) != n) {
            qWarning().noquote() << "Copy failed:" << target.errorString();
            return false;
        }
    }
    if (!target.commit()) {
        qWarning().noquote() << "Copy failed:" << target.errorString();
        return false;
    }
    return true;
}

bool writeEmptyMarker(const QString& card)
{
    QString error;
    if (!RVAtomicFile::writeAll(card + QLatin1Char('/') + kMarkerName, QByteArray(), &error)) {
        qWarning().noquote() << "Write returned error:" << error;
        return false;
    }
    return true;
}

// Only the image the camera takes is unpacked: the rest of the archive is never written.
void unpackImage(const QString& archive, const QString& folder)
{
    ZipArchive zip;
    zip.setLimits(ZipArchive::kFirmwareLimits);
    if (zip.UnzipOpenFile(archive) && !zip.UnzipEntryTo(kImageName, folder))
        qWarning().noquote() << "The firmware archive holds no usable" << kImageName;
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
            unpackImage(archive, unpacked);
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
