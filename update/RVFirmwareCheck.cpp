// The camera firmware check of RVUpdater: which camera the first mounted card belongs to (its
// "/autorun.inf", key "firmware", such as X1-15 for model X1; a regular file of at most 64 KiB),
// whether the maker publishes a newer firmware for that model (numeric parts compared as
// numbers, see isPublishedFirmwareNewer) (a key=value description with "version" and "url", fetched
// from the "FIRMWARE_URL" template with "%model%" replaced), and, when the user agrees, the
// image "sotava.bin" from the published zip archive placed on the card beside the empty
// marker "firmware.ready" that tells the camera to install it. The description is a signed
// text (RVUpdateSignature) whose "sha256" names the archive's SHA-256: an unsigned
// description is ignored, and an archive that hashes otherwise is refused before unpacking.

#include "update/RVUpdater.h"

#include "core/RVAtomicFile.h"
#include "core/RVSettings.h"
#include "core/RVStringUtil.h"
#include "metadata/RVMetaPath.h"
#include "update/RVDownloadUtil.h"
#include "update/RVPrivateFolder.h"
#include "update/RVUpdateInformation.h"
#include "update/RVUpdateSignature.h"
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

// The card's autorun.inf is a few short lines; a larger one (or a pipe, a device) is no such
// file and is not read.
constexpr qint64 kMaxAutorunBytes = 64 << 10;
// The firmware description is a few key=value lines, bounded like the update information.
constexpr qint64 kMaxDescriptionBytes = 64 << 10;
// The firmware archive holds one image: dash-camera images are 4 to 64 MB, so twice the
// largest; an answer that grows past this (an endless server) is stopped there.
constexpr qint64 kMaxFirmwareArchiveBytes = qint64(128) << 20;

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

    const std::optional<QByteArray> autorun =
        RVMetaPath::readWholeFile(card + QLatin1String("/autorun.inf"), kMaxAutorunBytes);
    if (!autorun)
        return;
    const QMap<QString, QString> cardInfo =
        RVStringUtil::createDictionaryFromText(QString::fromLatin1(*autorun));
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
    const std::optional<QByteArray> body =
        RVDownloadUtil::requestData(url, m_stop.get_token(), kMaxDescriptionBytes);
    if (!body)
        return;
    QString whyNot;
    const std::optional<QByteArray> signedText =
        RVUpdateSignature::verifiedText(*body, m_environment.publicKey, &whyNot);
    if (!signedText) {
        qWarning().noquote() << "Ignoring the firmware description:" << whyNot;
        return;
    }
    const QMap<QString, QString> description =
        RVStringUtil::createDictionaryFromText(QString::fromLatin1(*signedText));
    const auto version = description.constFind(QStringLiteral("version"));
    const auto archiveUrl = description.constFind(QStringLiteral("url"));
    if (version == description.cend() || archiveUrl == description.cend() ||
        !isPublishedFirmwareNewer(current, *version))
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
        QString mismatch;
        if (!RVDownloadUtil::downloadFile(*archiveUrl, archive, kMaxFirmwareArchiveBytes,
                                          m_stop.get_token())) {
            // failed; the alert below says so
        } else if (!RVUpdateSignature::fileMatchesSha256(
                       archive, description.value(QStringLiteral("sha256")), &mismatch)) {
            // Not the image the maker signed for: nothing of it reaches the card.
            qWarning().noquote() << "Refusing the firmware archive:" << mismatch;
        } else {
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
