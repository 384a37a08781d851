#pragma once

#include "metadata/RVMetaData.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <initializer_list>
#include <optional>
#include <string_view>

// Path arithmetic and side-file reading shared by the readers. Paths use "/" on every
// platform (Qt's internal separator).
class RVRegularFile;

namespace RVMetaPath {

// The path less its last n components ("/a/b/c/d.mov", 2 -> "/a/b"); never shorter than "/"
// for an absolute path, "" for a relative one that runs out of components.
QString withoutLastComponents(const QString& path, int n);
// The last component less its last extension ("/a/FILE.0001.MOV" -> "FILE.0001").
QString baseName(const QString& path);
// The whole path less the last component's extension ("/a/FILE.MOV" -> "/a/FILE").
QString withoutExtension(const QString& path);
bool exists(const QString& path);

// The most that is read from each kind of file, from what real cameras write with a wide
// margin. A file over its limit is not read at all (one log line names it): a hostile or
// broken card (a huge sparse file, a link to /dev/zero) must not take the memory of the
// whole program.
namespace Limits {
// NMEA text read whole (BlackVue .gps, also inside the video): a receiver at 10 Hz writing
// RMC, GGA, GSA and a few GSV lines is about 4 KB/s, 15 MB an hour; BlackVue clips last one
// to three minutes (the real ones here are 31-83 KB). Four hours of 10 Hz text fit.
constexpr qint64 kNmeaText = 64 << 20;
// Texts read block by block (Korvela logs may cover a whole day: 24 h of 10 Hz NMEA and
// sensor lines is about 400 MB). The track made from them is the memory that counts.
constexpr qint64 kStreamedText = 1024LL << 20;
// Mini logs: one line a second, about 70 bytes: under 300 KB for an hour.
constexpr qint64 kMiniLog = 16 << 20;
// BlackVue .3gf: 10-byte records at 10 to 100 a second (the real clips hold 7-30 a second):
// 3.6 MB for an hour at 100 Hz. Four hours at 100 Hz fit.
constexpr qint64 kSensorRecords = 16 << 20;
// Small descriptive boxes (BlackVue "cprt"): a line of text.
constexpr qint64 kDescription = 64 << 10;
// Novatek "gps " index: 8 bytes per one-second block, 29 KB for an hour; 1 MiB lists 36 hours.
constexpr qint64 kBlockIndex = 1 << 20;
// 70mai "GPS " box: 36-byte records once a second, 130 KB for an hour.
constexpr qint64 kSeventyMaiRecords = 8 << 20;
// Binary records of one fix a second in a box of their own (32 bytes each: 8 MiB is 72 hours).
constexpr qint64 kGpsRecords = 8 << 20;
} // namespace Limits

// Opens path for reading, by its file-system bytes (see RVNativePath), only when it is a
// regular file (a link to one is fine). FIFOs,
// devices and sockets are refused without blocking: the open itself does not wait for a
// writer, and the type is checked on the opened file, not on the name.
bool openRegularFile(RVRegularFile& file, const QString& path, QIODevice::OpenMode extra = {});
// A side file read whole; nothing when it is not a regular file, cannot be read, or holds
// more than maxBytes (then a log line names it).
std::optional<QByteArray> readWholeFile(const QString& path, qint64 maxBytes);
// The log line for a file refused for its size.
void reportOversize(const QString& path, qint64 size, qint64 maxBytes);
// A camera's log of one recording: the first of the candidate paths that exists, read whole
// and parsed, with the log as its related file. Nothing when none exists, the first that does
// cannot be read, or it holds neither a fix nor a sample.
std::optional<RVMetaData> readSideLog(std::initializer_list<QString> candidates, qint64 maxBytes,
                                      RVMetaData (*parse)(std::string_view));

} // namespace RVMetaPath

// A file read through a descriptor this program opened itself (see
// RVMetaPath::openRegularFile), closed by this program too: the descriptor never goes back
// through Qt's own close, so every open and close of the readers' files stays visible to the
// thread checker, whose view of descriptor reuse across threads needs both.
class RVRegularFile final : public QFile
{
public:
    RVRegularFile() = default;
    ~RVRegularFile() override;
    RVRegularFile(const RVRegularFile&) = delete;
    RVRegularFile& operator=(const RVRegularFile&) = delete;

    void close() override;

private:
    friend bool RVMetaPath::openRegularFile(RVRegularFile&, const QString&, QIODevice::OpenMode);
    int m_descriptor = -1;
};
