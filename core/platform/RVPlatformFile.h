#pragma once

#include "core/RVTimestamp.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The file-system facts the library needs, behind one small interface per platform
// (RVPlatformFileLinux.cpp on Linux).
//
// The lock flag protects a recording from being overwritten by the camera and from the
// delete command. On Linux it is the file's write permission: a locked file has no write bit
// at all; FAT and exFAT drivers map that to the DOS read-only attribute the camera honours.
namespace RVPlatformFile {

enum class Kind
{
    Missing,
    Directory,
    Regular,
    Other
};

struct Info final
{
    Kind kind = Kind::Missing;
    std::uint64_t device = 0; // with inode: identifies a directory during a walk
    std::uint64_t inode = 0;
    std::uint64_t size = 0; // bytes
    RVTimestamp created;    // creation (birth) time, else last modification; invalid if unknown
    bool locked = false;
    bool symbolicLink = false; // the path itself is a link (the rest describes its target)
    bool nameTooLong = false;  // the path is longer than the system accepts (PATH_MAX)
};

// Facts about what the path names, following symbolic links. Paths are turned into the file
// system's bytes with RVNativePath, so names that are not UTF-8 work too.
Info stat(const QString& path);
// The path with every link and "." or ".." resolved; nothing when it does not exist.
std::optional<QString> canonicalPath(const QString& path);

// Opens a regular file (after links) for reading and gives its descriptor, or -1. Anything
// else is never opened: opening a FIFO waits for a writer, or wakes one. What was opened is
// checked again, so a name swapped between the check and the open is refused too.
int openRegularForReading(const QString& path);
// Closes a descriptor this interface gave.
void closeFile(int fd);
// Asks the system to start writing bytes [from, from + length) of an open file to the disk,
// without waiting. False where that cannot be asked.
bool startWriteBack(int fd, qint64 from, qint64 length);
// Waits until an open file's data (and the size that makes it readable) is on the disk. 0 when
// done, else the system's error number.
int syncData(int fd);
// Where seek counts from.
enum class SeekFrom
{
    Start,
    Current,
    End
};
// Moves an open file's offset and gives the new one from the file's start; a negative value is
// the system's error number, negated.
qint64 seek(int fd, qint64 offset, SeekFrom from);
// The size of an open file; a negative value is the system's error number, negated.
qint64 fileSize(int fd);
// Entry names of a directory in the order the file system returns them, "." and ".."
// left out; nothing when the directory cannot be read.
std::optional<QStringList> listDirectory(const QString& path);
// Deletes the file, link or empty directory. True when it is gone or was not there; false,
// with the system's reason in error, for any other failure (an I/O error is not "gone").
bool remove(const QString& path, QString* error = nullptr);
// Whether anything, even a dangling link, exists at the path. Only "no such file" is false:
// a path that cannot be examined (I/O error, no search permission) may still name a file.
bool exists(const QString& path);
// Locks (clears every write bit) or unlocks (gives the owner write permission) the file.
// False when the permission could not be changed.
bool setLocked(const QString& path, bool locked);
// Whether the file is locked now; nothing when its attributes cannot be read.
std::optional<bool> isLocked(const QString& path);

} // namespace RVPlatformFile
