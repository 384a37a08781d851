#pragma once

#include <QString>

#include <functional>

// Unpacks a whole zip archive into a folder, over minizip's reading interface.
//
// Entry names are taken as stored, with "\" read as a folder separator (archives made on
// Windows); a name ending in a separator is a folder entry. Entries are refused, and the rest
// of the archive still unpacked, when their name is absolute, climbs out of the destination
// with "..", or would be written through a symbolic link already below the destination. An
// entry whose data fails the CRC check or cannot be read to its end leaves no file behind (an
// earlier file at the target is kept), so a damaged firmware image is never mistaken for a good
// one.
class ZipArchive final
{
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive for reading; logs the number of entries. Closes an archive opened
    // before. True when it opened.
    bool UnzipOpenFile(const QString& archivePath);

    // Unpacks every entry below destination. An existing file at a target is replaced whatever
    // overWrite says: the flag is kept for callers, which always pass true. False only when an
    // entry cannot be opened or described (which includes an empty archive); true when the walk
    // reached the end, even when single entries were refused or could not be written.
    bool UnzipFileTo(const QString& destination, bool overWrite);

    // Told after each entry how many of the archive's entries have been handled, and how many
    // it holds (0 when the archive does not say). Returning false stops the walk there.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    // UnzipFileTo with progress; false also when the progress stopped the walk.
    bool UnzipFileTo(const QString& destination, bool overWrite, const Progress& progress);

    // Closes the archive. True when none was open or closing succeeded.
    bool UnzipCloseFile();

private:
    enum class EntryResult
    {
        Next,
        Fail
    };
    EntryResult unzipCurrentEntry(const QString& destination);

    void* m_unzFile = nullptr; // minizip's unzFile
    qint64 m_entryCount = 0;   // from the archive's central directory
};
