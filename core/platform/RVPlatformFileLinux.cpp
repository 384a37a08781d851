#include "core/platform/RVPlatformFile.h"

#include "core/RVNativePath.h"

#include <cerrno>
#include <climits>
#include <cstdio> // renameat2
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

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
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID;
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
    if (sx.stx_mask & STATX_MNT_ID)
        info.mountId = sx.stx_mnt_id;
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

int createNew(const QByteArray& path, int& error)
{
    const int fd =
        ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    error = fd < 0 ? errno : 0;
    return fd;
}

std::optional<unsigned> regularFileMode(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return unsigned(st.st_mode & 0777);
}

void setMode(int fd, unsigned mode)
{
    (void)::fchmod(fd, mode_t(mode & 0777));
}

int writeAll(int fd, const char* data, std::int64_t size)
{
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, std::size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0) // no progress and no reason: treat as a full device
            return ENOSPC;
        done += n;
    }
    return 0;
}

int syncFile(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

int closeChecked(int fd)
{
    return ::close(fd) == 0 ? 0 : errno;
}

int rename(const QByteArray& from, const QByteArray& to)
{
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

void removeNow(const char* path)
{
    ::unlink(path);
}

void syncFolder(const QByteArray& path)
{
    const int folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
}

void removeStaleFiles(const QByteArray& folder, const std::function<bool(const char*)>& matches,
                      std::int64_t olderThanSeconds)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!matches(entry->d_name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && now - st.st_mtime > olderThanSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

int exchange(const QByteArray& a, const QByteArray& b)
{
#ifdef RENAME_EXCHANGE
    return ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0
               ? 0
               : errno;
#else
    return EINVAL;
#endif
}

int makeLink(const QByteArray& target, const QByteArray& path)
{
    return ::symlink(target.constData(), path.constData()) == 0 ? 0 : errno;
}

int syncPath(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

int checkReadable(const QString& path)
{
    const int fd =
        ::open(RVNativePath::encode(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    const bool directory = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    return directory ? EISDIR : 0;
}

static_assert(kMaxPathBytes == PATH_MAX);

} // namespace RVPlatformFile
