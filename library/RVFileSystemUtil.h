#pragma once

#include "library/RVVideoFile.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>

class RVVolumeMonitor;

// The file operations of the library: finding camera cards, collecting the recordings below a
// path, the lock flag, copying and deleting. Stateless; every operation may run on any thread.
class RVFileSystemUtil final
{
public:
    RVFileSystemUtil() = delete;

    // Walks the path and appends one record per recording found: every regular file whose
    // extension (after the last ".") is "mov", "mp4" or "ts" (a transport stream, by its first
    // bytes) in any case, at any depth, hidden
    // entries included, in the order the directories list their entries, the views of one
    // recording joined into one record (RVRecordingViews). Symbolic links are followed only
    // while their target stays inside the path; a directory is entered once, so link cycles
    // end, and a file reached twice is taken once. Paths too long to open are logged and
    // skipped. Each record gets the file's creation date, its lock flag and its media
    // duration (NaN when the media cannot be read). Nothing is appended for a missing path,
    // nor when cancel becomes true during the walk (it is checked at every entry).
    static void scanVideoFilesFrom(const QString& path, RVVideoFileList& files,
                                   const std::atomic<bool>* cancel = nullptr);
    // The same for a URL; anything but a local file URL adds nothing.
    static void scanVideoFilesFrom(const QUrl& url, RVVideoFileList& files,
                                   const std::atomic<bool>* cancel = nullptr);
    // Whether the file name ends in ".mov", ".mp4" or ".ts", compared without regard to case.
    static bool isVideoFileName(const QString& fileName);

    // Mount paths of the mounted removable volumes that are camera cards, in the monitor's
    // order: those whose name says so (isDashcamVolumeName) and those holding a folder where
    // cameras keep their recordings (cardRecordingFolders). The first form asks the
    // platform's own volume monitor.
    static QStringList getDashcamFlashDrives();
    static QStringList getDashcamFlashDrives(const RVVolumeMonitor& monitor);
    static QStringList getDashcamFlashDrives(const QStringList& removableMountPaths);
    // A camera card's volume name holds a capital G followed by a decimal digit (G1, CARDG2).
    static bool isDashcamVolumeName(const QString& volumeName);
    // The folders of the card at mountPath below which recordings are looked for: those of
    // "BlackVue/Record", "70mai" and "DCIM" that exist (a camera's "DCIM/Movie" with its
    // protected-event folder "RO" lies within "DCIM").
    static QStringList cardRecordingFolders(const QString& mountPath);

    // Locks (true) or unlocks (false) the file. True when the file's flag now reads as asked.
    static bool changeMutabilityOfFile(const QString& path, bool immutable);
    // Whether the file is locked now: its flag read from the file system (false when
    // unreadable), or it lies in a folder where the camera keeps protected recordings.
    static bool isFileLocked(const QString& path);
    // Novatek cameras move protected recordings into Movie/RO, or MOVIE_A/RO where each
    // camera has a folder of its own (names compared ignoring case):
    // they count as locked whatever their flag says, and cannot be unlocked here.
    static bool isInProtectedFolder(const QString& path);
    // Locks or unlocks every view of every recording and records in each record the state
    // read back from its files (locked when any view is), so a failed change is never
    // recorded as done. True when every file now reads as
    // asked.
    static bool changeMutabilityOfVideoFiles(const RVVideoFileList& files, bool immutable);

    // Deletes the file or empty directory. True when it is gone or was never there; any other
    // failure (an I/O error included) is logged with the path and the reason, and is false.
    static bool removeFileAtPath(const QString& path);
    // Whether anything (even a dangling symbolic link) may exist at the path: only "no such
    // file" is false.
    static bool fileExists(const QString& path);
};
