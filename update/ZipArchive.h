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
//
// Symbolic links stored by Unix zip tools (mode S_IFLNK in the high 16 bits of the external
// attributes, the target as the entry's data) are restored as links when the target is
// relative and stays below the destination: any leading ".." may not climb above it, and no
// ".." may follow a name (a name may itself be a link, after which ".." would leave the tree).
// Shared-library links of a bundle ("libfoo.so.1 -> libfoo.so.1.2") are of this kind. Every
// other link is refused like an unsafe name.
//
// Unpacking is bounded: an archive that would write more bytes, or hold more entries, than its
// limits allow stops the walk with a failure (what was written stays for the caller to remove).
// Bytes are counted as they are decompressed, not taken from the entries' declared sizes.
class ZipArchive final
{
public:
    struct Limits
    {
        qint64 maxTotalBytes;
        qint64 maxEntries;
    };
    // An application update: the largest self-contained bundle we can ship (the player with
    // the Qt, WebEngine, mpv and FFmpeg libraries it loads, their resources and locales)
    // measures about 500 MB in about 400 files; twice the size and ten times the files.
    static constexpr Limits kUpdateLimits{qint64(1) << 30, 4096};
    // A camera firmware archive: dash-camera images are 4 to 64 MB; four times the largest,
    // and the same entry bound (only one entry is unpacked, but all are walked to find it).
    static constexpr Limits kFirmwareLimits{qint64(256) << 20, 4096};

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive for reading; logs the number of entries. Closes an archive opened
    // before. True when it opened.
    bool UnzipOpenFile(const QString& archivePath);

    // Unpacks every entry below destination; an existing file at a target is replaced. False
    // only when an entry cannot be opened or described (which includes an empty archive); true
    // when the walk reached the end, even when single entries were refused or could not be
    // written.
    bool UnzipFileTo(const QString& destination);

    // Told after each entry how many of the archive's entries have been handled, and how many
    // it holds (0 when the archive does not say). Returning false stops the walk there.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    // UnzipFileTo with progress; false also when the progress stopped the walk.
    bool UnzipFileTo(const QString& destination, const Progress& progress);

    // Unpacks only the top-level file entry `name` (matched exactly) below destination. False
    // when the archive holds no such entry, or it could not be written whole.
    bool UnzipEntryTo(const QString& name, const QString& destination);

    // Closes the archive. True when none was open or closing succeeded.
    bool UnzipCloseFile();

    // The bounds of the next unpacking (kUpdateLimits unless set).
    void setLimits(Limits limits) { m_limits = limits; }

private:
    enum class EntryResult
    {
        Next,    // unpacked, or skipped (unsafe, unwritable)
        Written, // a file was unpacked whole
        Fail,    // the entry could not be opened or described
        OverLimit
    };
    EntryResult unzipCurrentEntry(const QString& destination);
    bool restoreLink(const QByteArray& target, const QString& destination,
                     const QStringList& parts);

    void* m_unzFile = nullptr; // minizip's unzFile
    qint64 m_entryCount = 0;   // from the archive's central directory
    Limits m_limits = kUpdateLimits;
    qint64 m_unpackedBytes = 0;
};
