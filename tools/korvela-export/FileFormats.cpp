// --format kml | gpx | csv: the window's exports, one file set per library node.
//
// The PATHs (recordings or folders holding them) are collected and grouped the way the player's
// library does it: every recording's metadata is read, recordings are ordered by their first
// GPS time, and consecutive recordings less than 60 s apart form a trip. Each top-level node
// then gets, in --output DIR, files named after it:
//   kml  NAME.kml                         KML 2.2, UTF-8
//   gpx  NAME.gpx                         GPX 1.1, UTF-8
//   csv  NAME.gps.csv, NAME.gsensor.csv   ";"-separated tables, UTF-16LE with byte-order mark,
//                                         numbers in the user's locale, "," as decimal point
// NAME is the node's name ("FILE0001.MOV", or "FILE0001-5" for a trip); a name that two
// nodes share gets " (2)", " (3)" ... so no node's file replaces another's. An existing file
// is replaced, atomically. A node holding a recording whose data could not be read (an I/O
// error, a file over its limit) is no node without a track: the recording is named on stderr
// and the node's files are not written. Progress goes to stderr. Exit status: 0 when every
// file was written, 1 when a PATH was unusable, a recording unreadable or a file unwritten.

#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVLibraryCollector.h"

#include "export/RVExportFileUtil.h"
#include "export/RVExportUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <atomic>
#include <memory>

namespace {

enum class FileFormat
{
    Kml,
    Gpx,
    Csv
};

void report(const RVExportContext& context, const QString& message)
{
    std::fprintf(context.err, "korvela-export: %s\n", nativeText(message).constData());
    std::fflush(context.err);
}

// The library's top-level nodes for the PATHs, collected and grouped as --format tree does,
// every one with its series read. Unusable PATHs are reported and set failed. collected keeps
// the application object and its translator, which the exports' texts need, while the nodes
// are written.
RVVideoDataList collectNodes(const RVExportContext& context, RVCollectedLibrary& collected,
                             bool& failed)
{
    // The regrouping after a scan starts one more over nodes already read; the reporter shows
    // only progress beyond what was shown.
    RVProgressReporter progress(context);
    collected =
        collectLibrary(context, [&progress](int done, int total) { progress.report(done, total); });
    failed |= collected.missingPath;
    RVVideoList& list = *collected.list;
    progress.finish();
    RVVideoDataList nodes = *list.videosData();
    if (nodes.empty() && collected.pathCount > 0) {
        report(context, QStringLiteral("no recordings found"));
        failed = true;
    }
    // The scan reads the single recordings; a trip joins its children's series when read.
    for (const RVVideoDataPtr& node : nodes)
        list.readGpsInfo(node, false);
    return nodes;
}

// NAME, or NAME (2), NAME (3) ... when an earlier node of this run took it. Names are compared
// without case, as on the FAT cards and desktop file systems the files may go to.
QString uniqueName(const QString& name, QSet<QString>& taken)
{
    QString candidate = name;
    for (int n = 2; taken.contains(candidate.toCaseFolded()); ++n)
        candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
    taken.insert(candidate.toCaseFolded());
    return candidate;
}

bool check(const RVExportContext& context, const std::optional<RVWriteResult>& result,
           const QString& path)
{
    if (!result) {
        report(context, QStringLiteral("%1: no track to export").arg(path));
        return false;
    }
    if (!result->ok) {
        report(context, result->error);
        return false;
    }
    if (context.progress != RVProgressStyle::Off)
        report(context, QStringLiteral("wrote %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

// Names on stderr every recording of the node whose data could not be read; true when none.
bool everyRecordingRead(const RVExportContext& context, const RVVideoDataPtr& node)
{
    bool allRead = true;
    const RVVideoDataList leaves =
        node->children().empty() ? RVVideoDataList{node} : node->children();
    for (const RVVideoDataPtr& leaf : leaves) {
        const QString why = leaf->readError();
        if (why.isEmpty() || leaf->files().empty())
            continue;
        report(context, QStringLiteral("%1: could not read its data: %2")
                            .arg(leaf->files().front()->filePath(), why));
        allRead = false;
    }
    return allRead;
}

int runFileFormat(const RVExportContext& context, FileFormat format)
{
    const QDir output(context.outputDir);
    if (!QDir().mkpath(output.absolutePath())) {
        report(context, QStringLiteral("%1: cannot create the folder").arg(context.outputDir));
        return 1;
    }
    bool failed = false;
    RVCollectedLibrary collected;
    const RVVideoDataList nodes = collectNodes(context, collected, failed);
    QSet<QString> taken;
    for (const RVVideoDataPtr& node : nodes) {
        const QString name = uniqueName(node->name(), taken);
        if (!everyRecordingRead(context, node)) {
            failed = true;
            continue;
        }
        switch (format) {
        case FileFormat::Kml: {
            const QString path = output.filePath(name + QStringLiteral(".kml"));
            failed |= !check(context, RVExportUtil::writeKml(*node, path), path);
            break;
        }
        case FileFormat::Gpx: {
            const QString path = output.filePath(name + QStringLiteral(".gpx"));
            failed |= !check(context, RVExportUtil::writeGpx(*node, path), path);
            break;
        }
        case FileFormat::Csv: {
            // As in the window: the acceleration table only follows a written track table.
            const QString gpsPath = output.filePath(name + QStringLiteral(".gps.csv"));
            if (!check(context, RVExportUtil::writeGpsTable(*node, gpsPath), gpsPath)) {
                failed = true;
                break;
            }
            const QString sensorPath = RVExportFileUtil::sensorTablePath(gpsPath);
            failed |=
                !check(context, RVExportUtil::writeSensorTable(*node, sensorPath), sensorPath);
            break;
        }
        }
    }
    return failed ? 1 : 0;
}

} // namespace

int runKmlFormat(const RVExportContext& context)
{
    return runFileFormat(context, FileFormat::Kml);
}

int runGpxFormat(const RVExportContext& context)
{
    return runFileFormat(context, FileFormat::Gpx);
}

int runCsvFormat(const RVExportContext& context)
{
    return runFileFormat(context, FileFormat::Csv);
}
