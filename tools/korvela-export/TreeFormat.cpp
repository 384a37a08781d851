// --format tree: the library tree the player shows for the given files and folders.
//
// Recordings are collected from every FILE (a video file, or a folder walked to any depth)
// as the player's add command does, their metadata is read, and they are grouped exactly as
// the player's list is after its metadata scan: by the time of each recording's first track
// point (the file's date when it has none), trips of recordings less than 60 s apart.
//
//   [
//    {"name":"FILE0001-5","duration":300,"created":"2015-02-05T13:45:01.000Z"|null,
//     "files":["/card/DCIM/100KVLA/FILE0001.MOV",…],"locked":[false,…],
//     "events":[{"time":…,"seconds":…,"kind":"impact",…},…],"stats":{"distanceMetres":…},
//     "children":[{"name":"FILE0001.MOV",…,"children":[]},…]},
//    {"name":"20170708_221449_NF.mp4",…,"files":["…/20170708_221449_NF.mp4"],
//     "channels":{"front":"…/20170708_221449_NF.mp4","rear":"…/20170708_221449_NR.mp4"},…},
//    …
//   ]
//
// duration is in seconds (null when the media could not be measured), locked says whether
// each file carries the lock flag. Every node also has "events" and "stats" (RVFiguresJson.h
// shows them); a trip's events count their seconds from the trip's start. A FILE that does not exist is reported on stderr and left
// out; the exit status is then 1. Progress goes to stderr.

#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVFiguresJson.h"
#include "tools/korvela-export/RVJsonWriter.h"
#include "tools/korvela-export/RVLibraryCollector.h"

#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <atomic>
#include <memory>

namespace {

void writeNode(RVJsonWriter& json, const RVVideoData& node)
{
    json.beginObject();
    json.key("name");
    json.string(node.name());
    json.key("duration");
    json.number(double(node.duration()));
    json.key("created");
    const RVTimestamp created = node.created();
    if (created.isValid())
        json.string(created.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
    else
        json.null();
    json.key("files");
    json.beginArray();
    for (const RVVideoFilePtr& file : node.files())
        json.string(file->filePath());
    json.endArray();
    // A recording seen by several cameras names each camera's file; "files" keeps the front
    // views, which the trip's time line follows.
    if (node.files().size() == 1 && node.files().front()->views().size() > 1) {
        json.key("channels");
        json.beginObject();
        for (const RVVideoView& view : node.files().front()->views()) {
            json.key(channelName(view.channel).toStdString());
            json.string(view.filePath);
        }
        json.endObject();
    }
    json.key("locked");
    json.beginArray();
    for (const RVVideoFilePtr& file : node.files())
        json.raw(file->locked() ? "true" : "false");
    json.endArray();
    json.key("events");
    writeEvents(json, node.events());
    json.key("stats");
    writeStats(json, node.stats());
    json.key("children");
    json.beginArray();
    for (const RVVideoDataPtr& child : node.children())
        writeNode(json, *child);
    json.endArray();
    json.endObject();
}

} // namespace

int runTreeFormat(const RVExportContext& context)
{
    if (context.progress != RVProgressStyle::Off)
        std::fprintf(context.err, "korvela-export: collecting recordings from %lld path(s)\n",
                     static_cast<long long>(context.files.size()));
    RVProgressReporter progress(context);
    RVCollectedLibrary collected =
        collectLibrary(context, [&progress](int done, int total) { progress.report(done, total); });
    progress.finish();
    int status = collected.missingPath ? 1 : 0;
    RVVideoList& list = *collected.list;

    RVJsonWriter json(context.out);
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const RVVideoDataPtr& node : *list.videosData())
        writeNode(json, *node);
    json.endArray();
    json.newline();
    if (!json.flush()) {
        std::fprintf(context.err, "korvela-export: could not write the output\n");
        status = 1;
    }
    return status;
}
