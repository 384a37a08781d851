// The stored form of a card's imports, one UTF-8 text file per card named
// "<SHA-1 of the card folder>.tracks" in the storage folder:
//   korvela-track-imports 1
//   card<TAB>/media/user/G1                         the folder the paths below are under
//   import<TAB>camera|import<TAB>phone.gpx          starts an import: its preference, source
//   recording<TAB>DCIM/Movie/2024_0522_120000_001F.MP4   (none: every recording of the card)
//   fix<TAB>ms<TAB>lat<TAB>lon<TAB>alt<TAB>km/h<TAB>course   ms since 1970 UTC; degrees with
//                                                   seven decimals (1 cm); "nan" when unknown
// Imports stand newest first. The file is rewritten whole through the atomic writer.
#include "library/RVTrackImports.h"

#include "core/RVAtomicFile.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVMetaPath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>
#include <map>
#include <mutex>
#include <set>

namespace {

constexpr char kHeader[] = "korvela-track-imports 1";
// A day of fixes at 10 Hz is about 50 MB of this text; the files are ours, but a damaged one
// must not take the program's memory.
constexpr qint64 kMaxStoreBytes = 512LL << 20;

struct Registry
{
    std::mutex mutex;
    QString folder;
    bool loaded = false;
    std::map<QString, std::vector<RVTrackImportPtr>> byCard; // card folder -> newest first
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/imported-tracks");
}

QString fileOf(const QString& storage, const QString& cardFolder)
{
    const QByteArray hash =
        QCryptographicHash::hash(cardFolder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return storage + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".tracks");
}

// Reads every stored card once. Caller holds the registry's mutex.
void loadLocked(Registry& r)
{
    if (r.loaded)
        return;
    r.loaded = true;
    if (r.folder.isEmpty())
        r.folder = defaultFolder();
    const QStringList files = QDir(r.folder).entryList({QStringLiteral("*.tracks")}, QDir::Files);
    for (const QString& name : files) {
        const std::optional<QByteArray> text =
            RVMetaPath::readWholeFile(r.folder + QLatin1Char('/') + name, kMaxStoreBytes);
        if (!text)
            continue;
        std::optional<RVTrackImports::CardImports> card = RVTrackImports::fromText(*text);
        if (card && !card->imports.empty())
            r.byCard[card->cardFolder] = std::move(card->imports);
    }
}

bool writeLocked(Registry& r, const QString& cardFolder,
                 const std::vector<RVTrackImportPtr>& imports, QString* error)
{
    const QString path = fileOf(r.folder, cardFolder);
    if (imports.empty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            if (error)
                *error = QStringLiteral("Could not remove %1").arg(path);
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(r.folder)) {
        if (error)
            *error = QStringLiteral("Could not make the folder %1").arg(r.folder);
        return false;
    }
    return RVAtomicFile::writeAll(path, RVTrackImports::toText(cardFolder, imports), error);
}

void appendNumber(QByteArray& out, double value, int decimals)
{
    out += '\t';
    if (std::isnan(value))
        out += "nan";
    else
        out += QByteArray::number(value, 'f', decimals);
}

// A number of the stored text; "nan" is unknown. Nothing when the text is no number.
std::optional<double> numberOf(const QByteArray& text)
{
    if (text == "nan")
        return RVTrackFix::kUnknown;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<RVTrackFix> fixOf(const QList<QByteArray>& fields)
{
    if (fields.size() != 7)
        return std::nullopt;
    bool ok = false;
    const qint64 ms = fields[1].toLongLong(&ok);
    const std::optional<double> latitude = numberOf(fields[2]);
    const std::optional<double> longitude = numberOf(fields[3]);
    const std::optional<double> altitude = numberOf(fields[4]);
    const std::optional<double> speed = numberOf(fields[5]);
    const std::optional<double> course = numberOf(fields[6]);
    if (!ok || !latitude || !longitude || !altitude || !speed || !course ||
        !(std::abs(*latitude) <= 90) || !(std::abs(*longitude) <= 180))
        return std::nullopt;
    RVTrackFix fix;
    fix.time = RVTimestamp::fromMSecsSinceEpoch(ms);
    fix.latitude = *latitude;
    fix.longitude = *longitude;
    fix.altitude = *altitude;
    fix.speedKmh = *speed;
    fix.courseDegrees = *course;
    return fix;
}

} // namespace

void RVTrackImports::setStorageFolder(const QString& folder)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.folder = folder;
    r.loaded = false;
    r.byCard.clear();
}

QString RVTrackImports::storageFolder()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.folder.isEmpty() ? defaultFolder() : r.folder;
}

QString RVTrackImports::cardFolderOf(const RVVideoFile& file)
{
    if (const std::optional<RVCameraFamily> family = file.family())
        return RVCameraClock::cardFolderOf(file.filePath(), *family);
    return QFileInfo(file.filePath()).absolutePath();
}

bool RVTrackImports::add(const QString& cardFolder, RVTrackImport import, QString* error)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    loadLocked(r);
    std::vector<RVTrackImportPtr> imports = r.byCard[cardFolder];
    imports.insert(imports.begin(), std::make_shared<const RVTrackImport>(std::move(import)));
    if (!writeLocked(r, cardFolder, imports, error)) {
        if (r.byCard[cardFolder].empty())
            r.byCard.erase(cardFolder);
        return false;
    }
    r.byCard[cardFolder] = std::move(imports);
    return true;
}

std::optional<int> RVTrackImports::remove(const QString& cardFolder,
                                          const QStringList& relativePaths, QString* error)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    loadLocked(r);
    const auto found = r.byCard.find(cardFolder);
    if (found == r.byCard.end())
        return 0;
    // For recordings: the import each one shows (the newest covering it), so that removing
    // undoes what the user sees there and leaves the card's other imports alone.
    std::set<const RVTrackImport*> shown;
    for (const QString& path : relativePaths) {
        for (const RVTrackImportPtr& import : found->second) {
            if (import->covers(path)) {
                shown.insert(import.get());
                break;
            }
        }
    }
    std::vector<RVTrackImportPtr> kept;
    for (const RVTrackImportPtr& import : found->second) {
        if (!relativePaths.isEmpty() && !shown.contains(import.get()))
            kept.push_back(import);
    }
    const int removed = int(found->second.size() - kept.size());
    if (removed == 0)
        return 0;
    if (!writeLocked(r, cardFolder, kept, error))
        return std::nullopt;
    if (kept.empty())
        r.byCard.erase(found);
    else
        found->second = std::move(kept);
    return removed;
}

RVTrackImports::Applicable RVTrackImports::importFor(const QString& recordingPath)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    loadLocked(r);
    Applicable best;
    for (const auto& [folder, imports] : r.byCard) {
        // The deepest card folder holding the recording decides, as for the clock rules.
        if (!recordingPath.startsWith(folder + QLatin1Char('/')) ||
            (best.import && folder.size() <= best.cardFolder.size()))
            continue;
        const QString relative = recordingPath.mid(folder.size() + 1);
        for (const RVTrackImportPtr& import : imports) {
            if (import->covers(relative)) {
                best = {import, folder};
                break;
            }
        }
    }
    return best;
}

std::vector<RVTrackImportPtr> RVTrackImports::importsOf(const QString& cardFolder)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    loadLocked(r);
    const auto found = r.byCard.find(cardFolder);
    return found == r.byCard.end() ? std::vector<RVTrackImportPtr>() : found->second;
}

QByteArray RVTrackImports::toText(const QString& cardFolder,
                                  const std::vector<RVTrackImportPtr>& imports)
{
    // Tabs and line ends cannot stand in a field; folder and file names hardly ever hold them,
    // and such a name is written with blanks instead rather than breaking the file.
    const auto field = [](const QString& text) {
        QString clean = text;
        clean.replace(QLatin1Char('\t'), QLatin1Char(' '));
        clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
        clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
        return clean.toUtf8();
    };
    QByteArray out = QByteArray(kHeader) + "\ncard\t" + field(cardFolder) + '\n';
    for (const RVTrackImportPtr& import : imports) {
        out += "import\t";
        out += import->preference == RVImportPreference::ImportFirst ? "import" : "camera";
        out += '\t' + field(import->source) + '\n';
        for (const QString& recording : import->recordings)
            out += "recording\t" + field(recording) + '\n';
        for (const RVTrackFix& fix : import->fixes) {
            out += "fix\t" + QByteArray::number(fix.time.msecsSinceEpoch());
            appendNumber(out, fix.latitude, 7);
            appendNumber(out, fix.longitude, 7);
            appendNumber(out, fix.altitude, 2);
            appendNumber(out, fix.speedKmh, 2);
            appendNumber(out, fix.courseDegrees, 2);
            out += '\n';
        }
    }
    return out;
}

std::optional<RVTrackImports::CardImports> RVTrackImports::fromText(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 2 || lines[0] != kHeader)
        return std::nullopt;
    CardImports card;
    std::shared_ptr<RVTrackImport> current;
    const auto finish = [&] {
        if (current && !current->fixes.empty()) {
            std::stable_sort(
                current->fixes.begin(), current->fixes.end(),
                [](const RVTrackFix& a, const RVTrackFix& b) { return a.time < b.time; });
            card.imports.push_back(std::move(current));
        }
        current.reset();
    };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        const QByteArray& kind = fields[0];
        if (kind == "card" && fields.size() == 2 && card.cardFolder.isEmpty()) {
            card.cardFolder = QString::fromUtf8(fields[1]);
        } else if (kind == "import" && fields.size() == 3) {
            finish();
            current = std::make_shared<RVTrackImport>();
            current->preference = fields[1] == "import" ? RVImportPreference::ImportFirst
                                                        : RVImportPreference::CameraFirst;
            current->source = QString::fromUtf8(fields[2]);
        } else if (kind == "recording" && fields.size() == 2 && current) {
            current->recordings.append(QString::fromUtf8(fields[1]));
        } else if (kind == "fix" && current) {
            if (std::optional<RVTrackFix> fix = fixOf(fields))
                current->fixes.push_back(*fix);
        }
    }
    finish();
    if (card.cardFolder.isEmpty())
        return std::nullopt;
    return card;
}
