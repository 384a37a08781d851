#include "core/platform/RVPlatformFile.h"

#include "core/RVNativePath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const QByteArray native = RVNativePath::encode(path);
    if (native.size() >= PATH_MAX) {
        info.nameTooLong = true;
        return info;
    }
    struct statx sx;
    std::memset(&sx, 0, sizeof sx);
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    // The link itself first: most entries are no link, and then one call is enough.
    if (::statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, mask, &sx) != 0) {
        info.nameTooLong = errno == ENAMETOOLONG;
        return info;
    }
    if (S_ISLNK(sx.stx_mode)) {
        info.symbolicLink = true;
        std::memset(&sx, 0, sizeof sx);
        if (::statx(AT_FDCWD, native.constData(), 0, mask, &sx) != 0)
            return info; // a dangling link names nothing
    }
    if (S_ISDIR(sx.stx_mode))
        info.kind = Kind::Directory;
    else if (S_ISREG(sx.stx_mode))
        info.kind = Kind::Regular;
    else
        info.kind = Kind::Other;
    info.device = (std::uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    info.inode = sx.stx_ino;
    info.size = sx.stx_size;
    // The earliest date the file system keeps. On the camera's card that is the birth time
    // (the recording's start; the modification time is its end). A copy made on a computer
    // is born at copy time but keeps the recording's modification time, and some file
    // systems keep no birth time at all.
    if (sx.stx_mask & STATX_MTIME)
        info.created = toTimestamp(sx.stx_mtime);
    if ((sx.stx_mask & STATX_BTIME) &&
        (!info.created.isValid() || toTimestamp(sx.stx_btime) < info.created))
        info.created = toTimestamp(sx.stx_btime);
    info.locked = (sx.stx_mode & kWriteBits) == 0;
    return info;
}

std::optional<QString> canonicalPath(const QString& path)
{
    char* resolved = ::realpath(RVNativePath::encode(path).constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    QString result = RVNativePath::decode(QByteArray(resolved));
    std::free(resolved);
    return result;
}

std::optional<QStringList> listDirectory(const QString& path)
{
    DIR* dir = ::opendir(RVNativePath::encode(path).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        names.append(RVNativePath::decode(QByteArray(name)));
    }
    ::closedir(dir);
    return names;
}

int openRegularForReading(const QString& path)
{
    // The name by its file-system bytes: QFile would lose bytes that are not UTF-8. O_NONBLOCK
    // keeps a FIFO swapped in after the check from blocking the open; fstat refuses it then.
    const QByteArray native = RVNativePath::encode(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

void closeFile(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

bool startWriteBack(int fd, qint64 from, qint64 length)
{
    return ::sync_file_range(fd, from, length, SYNC_FILE_RANGE_WRITE) == 0;
}

int syncData(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

qint64 seek(int fd, qint64 offset, SeekFrom from)
{
    const int whence = from == SeekFrom::Start ? SEEK_SET
                       : from == SeekFrom::End ? SEEK_END
                                               : SEEK_CUR;
    const off_t at = ::lseek(fd, off_t(offset), whence);
    return at < 0 ? -qint64(errno) : qint64(at);
}

qint64 fileSize(int fd)
{
    struct stat info
    {};
    return ::fstat(fd, &info) == 0 ? qint64(info.st_size) : -qint64(errno);
}

bool remove(const QString& path, QString* error)
{
    const QByteArray native = RVNativePath::encode(path);
    int failure = 0;
    if (::unlink(native.constData()) != 0) {
        failure = errno;
        if (failure == EISDIR)
            failure = ::rmdir(native.constData()) == 0 ? 0 : errno;
    }
    // Only "no such file" means gone: a card that answers with I/O errors (or a folder that
    // cannot be searched) still holds the file, and saying otherwise loses track of it.
    if (failure == 0 || failure == ENOENT)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(failure));
    return false;
}

bool exists(const QString& path)
{
    struct stat st;
    return ::lstat(RVNativePath::encode(path).constData(), &st) == 0 || errno != ENOENT;
}

bool setLocked(const QString& path, bool locked)
{
    const QByteArray native = RVNativePath::encode(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return false;
    const mode_t mode = locked ? (st.st_mode & ~kWriteBits) : (st.st_mode | S_IWUSR);
    return ::chmod(native.constData(), mode & 07777) == 0;
}

std::optional<bool> isLocked(const QString& path)
{
    struct stat st;
    if (::stat(RVNativePath::encode(path).constData(), &st) != 0)
        return std::nullopt;
    return (st.st_mode & kWriteBits) == 0;
}

} // namespace RVPlatformFile
