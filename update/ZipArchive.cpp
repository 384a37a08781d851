#include "update/ZipArchive.h"

#include "core/platform/RVPlatformFile.h"

#include <QDate>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <QTime>

#include <minizip/unzip.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace {

// Data is streamed through one buffer of this many bytes per entry.
constexpr int kChunkBytes = 4096;

// "version made by" keeps the host system in its high byte; 3 is Unix, whose entries carry
// st_mode in the high 16 bits of the external attributes.
constexpr unsigned kHostUnix = 3;
constexpr unsigned kModeExecuteBits = 0111;
constexpr unsigned kModeTypeMask = 0170000; // S_IFMT
constexpr unsigned kModeSymLink = 0120000;  // S_IFLNK
// A link's target is a path; Linux allows at most PATH_MAX (4096) bytes of it.
constexpr int kMaxLinkTargetBytes = 4096;
// Unpacked files are 0644, programs 0755, whatever the archive asks for beyond that: no
// set-user-id bits, nobody else may write.
constexpr QFileDevice::Permissions kFileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser |
                                               QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions kExecuteMode =
    QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup | QFileDevice::ExeOther;

unzFile handle(void* p)
{
    return static_cast<unzFile>(p);
}

// The entry name as path components below the destination, or nothing when the name must not
// be unpacked: absolute, climbing out with "..", holding a NUL, or naming nothing at all.
// Empty and "." components are dropped ("a//./b" is "a/b").
std::optional<QStringList> safeComponents(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt;
        parts.append(part);
    }
    if (parts.isEmpty())
        return std::nullopt;
    return parts;
}

// True when the destination followed by any leading run of parts is a symbolic link (also a
// dangling one): writing there would land wherever the link points.
bool passesThroughSymLink(const QString& destination, const QStringList& parts)
{
    QString path = destination;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        const QFileInfo info(path);
        if (info.isSymLink())
            return true;
        if (!info.exists())
            return false; // nothing further down exists yet
    }
    return false;
}

// The link target's components when a link at parts (below the destination) may point there:
// relative, at most as many leading ".." as the link has folders above it, and no ".." after
// a name. Nothing otherwise.
std::optional<QStringList> safeLinkTarget(const QByteArray& target, const QStringList& parts)
{
    if (target.isEmpty() || target.startsWith('/') || target.contains('\0') ||
        target.contains('\\'))
        return std::nullopt;
    QStringList components;
    qsizetype climbs = 0;
    for (const QString& part :
         QString::fromLocal8Bit(target).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!components.isEmpty())
                return std::nullopt; // ".." after a name, which may be a link itself
            ++climbs;
            continue;
        }
        components.append(part);
    }
    if (climbs > parts.size() - 1 || (components.isEmpty() && climbs == 0))
        return std::nullopt;
    return components;
}

// The entry's stored local time (months counted from 0) as a date-time, invalid when the
// fields do not form a real date.
QDateTime entryTime(const tm_unz& t)
{
    const QDate date(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday));
    const QTime time(int(t.tm_hour), int(t.tm_min), int(t.tm_sec));
    return QDateTime(date, time, Qt::LocalTime);
}

} // namespace

ZipArchive::~ZipArchive()
{
    UnzipCloseFile();
}

bool ZipArchive::UnzipOpenFile(const QString& archivePath)
{
    UnzipCloseFile();
    m_unzFile = unzOpen64(QFile::encodeName(archivePath).constData());
    if (!m_unzFile)
        return false;
    unz_global_info64 info{};
    if (unzGetGlobalInfo64(handle(m_unzFile), &info) == UNZ_OK) {
        m_entryCount = qint64(info.number_entry);
        qInfo("%d entries in the zip file", int(info.number_entry));
    }
    return true;
}

bool ZipArchive::UnzipCloseFile()
{
    if (!m_unzFile)
        return true;
    const int rc = unzClose(handle(m_unzFile));
    m_unzFile = nullptr;
    m_entryCount = 0;
    return rc == UNZ_OK;
}

bool ZipArchive::UnzipFileTo(const QString& destination)
{
    return UnzipFileTo(destination, {});
}

bool ZipArchive::UnzipFileTo(const QString& destination, const Progress& progress)
{
    // Targets are always replaced: the updater's archives must win over what an earlier
    // attempt left behind.
    if (!m_unzFile)
        return false;
    m_unpackedBytes = 0;
    if (m_entryCount > m_limits.maxEntries) {
        qWarning("Zip archive refused: %lld entries, at most %lld allowed",
                 static_cast<long long>(m_entryCount), static_cast<long long>(m_limits.maxEntries));
        return false;
    }
    unzGoToFirstFile(handle(m_unzFile)); // on failure opening the entry below fails too
    for (qint64 done = 1;; ++done) {
        // The directory's count can be wrong; the walk itself is counted too.
        if (done > m_limits.maxEntries) {
            qWarning("Zip archive refused: more than %lld entries",
                     static_cast<long long>(m_limits.maxEntries));
            return false;
        }
        const EntryResult result = unzipCurrentEntry(destination);
        if (result == EntryResult::Fail)
            return false;
        if (result == EntryResult::OverLimit) {
            qWarning("Zip archive refused: it unpacks to more than %lld bytes",
                     static_cast<long long>(m_limits.maxTotalBytes));
            return false;
        }
        if (progress && !progress(done, m_entryCount))
            return false;
        if (unzGoToNextFile(handle(m_unzFile)) != UNZ_OK)
            return true;
    }
}

bool ZipArchive::UnzipEntryTo(const QString& name, const QString& destination)
{
    if (!m_unzFile || name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    m_unpackedBytes = 0;
    // Looked up by name in the central directory: the other entries are neither read nor
    // written.
    if (unzLocateFile(handle(m_unzFile), QFile::encodeName(name).constData(), 1) != UNZ_OK)
        return false;
    const EntryResult result = unzipCurrentEntry(destination);
    if (result == EntryResult::OverLimit)
        qWarning("Zip entry %s refused: larger than %lld bytes", qPrintable(name),
                 static_cast<long long>(m_limits.maxTotalBytes));
    return result == EntryResult::Written;
}

ZipArchive::EntryResult ZipArchive::unzipCurrentEntry(const QString& destination)
{
    unzFile zip = handle(m_unzFile);
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return EntryResult::Fail;

    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        unzCloseCurrentFile(zip);
        return EntryResult::Fail;
    }
    // The stored name length is a 16-bit field, so this buffer stays small.
    std::vector<char> nameBuffer(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(zip, &info, nameBuffer.data(), uLong(nameBuffer.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK) {
        unzCloseCurrentFile(zip);
        return EntryResult::Fail;
    }
    const QByteArray rawName(nameBuffer.data(), qsizetype(info.size_filename));
    QString name = QString::fromLocal8Bit(rawName);

    const bool isFolder = name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));

    const std::optional<QStringList> parts = safeComponents(name);
    if (!parts || passesThroughSymLink(destination, *parts)) {
        qWarning().noquote() << "Refusing unsafe zip entry:" << name;
        unzCloseCurrentFile(zip);
        return EntryResult::Next;
    }
    const QString target = destination + QLatin1Char('/') + parts->join(QLatin1Char('/'));
    const unsigned mode = (info.version >> 8) == kHostUnix ? unsigned(info.external_fa >> 16) : 0;

    if (!isFolder && (mode & kModeTypeMask) == kModeSymLink) {
        // The link's target is the entry's data: a short path, never more than PATH_MAX.
        QByteArray linkTarget(kMaxLinkTargetBytes + 1, Qt::Uninitialized);
        qsizetype length = 0;
        bool readFailed = false;
        for (;;) {
            const int n = unzReadCurrentFile(zip, linkTarget.data() + length,
                                             unsigned(linkTarget.size() - length));
            readFailed = n < 0;
            if (n <= 0)
                break;
            length += n;
            if (length == linkTarget.size())
                break;
        }
        const bool intact =
            unzCloseCurrentFile(zip) == UNZ_OK && !readFailed && length <= kMaxLinkTargetBytes;
        linkTarget.truncate(length);
        m_unpackedBytes += length;
        if (m_unpackedBytes > m_limits.maxTotalBytes)
            return EntryResult::OverLimit;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!intact || !restoreLink(linkTarget, destination, *parts))
            qWarning().noquote() << "Refusing zip link entry:" << name << "->"
                                 << QString::fromLocal8Bit(linkTarget);
        return EntryResult::Next;
    }

    if (isFolder) {
        QDir().mkpath(target);
        unzCloseCurrentFile(zip);
        return EntryResult::Next;
    }
    QDir().mkpath(QFileInfo(target).absolutePath());

    // Written aside and moved into place only when the whole entry read back with a good CRC,
    // so a damaged entry neither leaves a partial file nor destroys the one already there. Not
    // synced to disk file by file: a bundle holds thousands of files, and the unpacked copy is
    // only a stepping stone.
    QTemporaryFile out(QFileInfo(target).absolutePath() + QLatin1String("/.unzip-XXXXXX"));
    if (!out.open()) {
        unzCloseCurrentFile(zip);
        return EntryResult::Next;
    }
    const bool executable = (mode & kModeExecuteBits) != 0;
    out.setPermissions(kFileMode | (executable ? kExecuteMode : QFileDevice::Permissions()));

    char buffer[kChunkBytes];
    bool intact = true;
    bool overLimit = qint64(info.uncompressed_size) > m_limits.maxTotalBytes - m_unpackedBytes;
    while (!overLimit) {
        const int n = unzReadCurrentFile(zip, buffer, kChunkBytes);
        if (n == 0)
            break;
        // The declared size may lie: the bytes themselves are counted.
        m_unpackedBytes += qMax(n, 0);
        overLimit = m_unpackedBytes > m_limits.maxTotalBytes;
        if (n < 0 || overLimit || out.write(buffer, n) != n) {
            intact = false;
            break;
        }
    }
    // Closing the entry is where minizip reports a CRC mismatch of a fully read entry.
    if (unzCloseCurrentFile(zip) != UNZ_OK || !out.flush())
        intact = false;
    if (overLimit)
        return EntryResult::OverLimit; // the side file goes with `out`
    if (!intact) {
        qWarning().noquote() << "Damaged zip entry not unpacked:" << name;
        return EntryResult::Next; // the side file goes with `out`
    }
    const QDateTime modified = entryTime(info.tmu_date);
    if (!modified.isValid() || !out.setFileTime(modified, QFileDevice::FileModificationTime))
        qWarning("Failed to set attributes");
    out.close();
    // A rename replaces an existing file at once; a folder at the target makes it fail, and
    // such an entry is skipped like any target that cannot be written.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(out.fileName()).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error)
        return EntryResult::Next;
    out.setAutoRemove(false);
    return EntryResult::Written;
}

bool ZipArchive::restoreLink(const QByteArray& target, const QString& destination,
                             const QStringList& parts)
{
    if (!safeLinkTarget(target, parts))
        return false;
    // Made beside its name and renamed over it, like files: an earlier file there is replaced.
    const QString path = destination + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    const QString side = QFileInfo(path).absolutePath() + QLatin1String("/.unzip-link-") +
                         QString::number(quintptr(this), 36);
    const QByteArray encodedSide = QFile::encodeName(side);
    RVPlatformFile::removeNow(encodedSide.constData());
    if (RVPlatformFile::makeLink(target, encodedSide) != 0)
        return false;
    if (RVPlatformFile::rename(encodedSide, QFile::encodeName(path)) != 0) {
        RVPlatformFile::removeNow(encodedSide.constData());
        return false;
    }
    return true;
}
