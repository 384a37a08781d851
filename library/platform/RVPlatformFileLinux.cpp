#include "library/platform/RVPlatformFile.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

RVTimestamp toTimestamp(const struct statx_timestamp& t)
{
    return RVTimestamp::fromMSecsSinceEpoch(std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000);
}

} // namespace

namespace RVPlatformFile {

Info stat(const QString& path)
{
    Info info;
    const QByteArray native = QFile::encodeName(path);
    struct statx sx;
    std::memset(&sx, 0, sizeof sx);
    if (::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return info;
    if (S_ISDIR(sx.stx_mode))
        info.kind = Kind::Directory;
    else if (S_ISREG(sx.stx_mode))
        info.kind = Kind::Regular;
    else
        info.kind = Kind::Other;
    info.device = (std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    info.inode = sx.stx_ino;
    // Not every file system keeps a birth time (older kernels' vfat, some network mounts);
    // the modification time is the nearest date they do keep.
    if (sx.stx_mask & STATX_BTIME)
        info.created = toTimestamp(sx.stx_btime);
    else if (sx.stx_mask & STATX_MTIME)
        info.created = toTimestamp(sx.stx_mtime);
    info.locked = (sx.stx_mode & kWriteBits) == 0;
    return info;
}

std::optional<QStringList> listDirectory(const QString& path)
{
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        names.append(QFile::decodeName(name));
    }
    ::closedir(dir);
    return names;
}

bool setLocked(const QString& path, bool locked)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return false;
    const mode_t mode = locked ? (st.st_mode & ~kWriteBits) : (st.st_mode | S_IWUSR);
    return ::chmod(native.constData(), mode & 07777) == 0;
}

std::optional<bool> isLocked(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return (st.st_mode & kWriteBits) == 0;
}

} // namespace RVPlatformFile
