#pragma once

#include "core/RVTimestamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>

// Every call to the operating system the program makes beyond Qt, behind one small interface
// per platform (RVPlatformFileLinux.cpp and RVPlatformProcessLinux.cpp on Linux): file-system
// facts, the atomic writer's side files, locks, the process's identity and memory hints.
// Errors come back as the system's error numbers (errno values, 0 for none).
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
    // The mount the file was reached through (the number /proc/self/mountinfo gives it; every
    // mount gets a new one, so a card taken out and put back, or another card in the same
    // slot, differs even where the device numbers repeat); 0 where the system does not say.
    std::uint64_t mountId = 0;
    RVTimestamp created; // creation (birth) time, else last modification; invalid if unknown
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

// Writing beside a file (RVAtomicFile). Paths here are already the file system's bytes
// (RVNativePath::encode), as a signal handler needs them.

// Creates a file that must not exist yet (a link there is not followed) for writing, with
// 0666 less the umask; its descriptor, or -1 with the system's error number in `error`.
int createNew(const QByteArray& path, int& error);
// The permission bits of a regular file (links not followed); nothing for anything else.
std::optional<unsigned> regularFileMode(const QByteArray& path);
// Gives an open file these permission bits (set-id bits are never carried over).
void setMode(int fd, unsigned mode);
// Writes every byte, going on after interruptions; 0, else the system's error number (a write
// that makes no progress counts as a full device).
int writeAll(int fd, const char* data, std::int64_t size);
// Waits until an open file's data and attributes are on the disk; 0 or the error number.
int syncFile(int fd);
// Closes the descriptor; 0 or the error number (a late write error can show here).
int closeChecked(int fd);
// Moves `from` over `to` in one step; 0 or the error number.
int rename(const QByteArray& from, const QByteArray& to);
// Removes a file; safe to call in a signal handler (nothing but the system call).
void removeNow(const char* path);
// Makes the folder's entries (a rename in it) durable; failures are ignored.
void syncFolder(const QByteArray& path);
// Removes the regular files of the folder (links not followed) whose name `matches` and that
// were not modified for `olderThanSeconds`.
void removeStaleFiles(const QByteArray& folder, const std::function<bool(const char*)>& matches,
                      std::int64_t olderThanSeconds);
// Swaps two entries in one step, so that no moment passes without either; 0 or the error
// number (EINVAL where the file system cannot).
int exchange(const QByteArray& a, const QByteArray& b);
// Makes a symbolic link at `path` naming `target`; 0 or the error number.
int makeLink(const QByteArray& target, const QByteArray& path);
// Flushes a file's data, or a folder's entries, to the disk (links not followed); 0 or the
// error number.
int syncPath(const QByteArray& path);
// Whether the file can be opened for reading: 0, else the error number (EISDIR for a folder).
// Opened without waiting, so a FIFO given by mistake is no hang.
int checkReadable(const QString& path);
// The longest path the system accepts, in bytes.
constexpr std::size_t kMaxPathBytes = 4096;

// The process (RVPlatformProcessLinux.cpp).

// Has `handler` run on the signals that end a program from outside (interrupt, terminate,
// hang-up); it may make only async-signal-safe calls.
void onEndingSignals(void (*handler)(int));
// Ends the process by the signal as if it had not been caught, so the parent sees the same
// status; safe in a signal handler.
void endBySignal(int signalNumber);
// The user the process runs as, for names of per-user files and sockets.
unsigned userId();
// Opens (creating, 0600) the lock file and takes its exclusive lock without waiting; the
// descriptor holds the lock until closeFile. -1 when the file cannot be opened or another
// process holds the lock.
int lockExclusively(const QByteArray& path);
// Whether the stream writes to a terminal.
bool isTerminal(std::FILE* stream);
// Asks the system to map the pages of a freshly reserved buffer, writable, in one call,
// rather than one page fault at a time as the buffer is first written. A day's track is tens
// of megabytes, and a fault per 4 KiB page cost more than reading the text the track is made
// from. Only a hint: where it is not supported nothing happens and the faults come as usual.
void prefaultForWriting(void* data, std::size_t bytes);

} // namespace RVPlatformFile
