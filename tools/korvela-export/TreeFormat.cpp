// --format tree: the library tree the player shows for the given files and folders.
//
// Recordings are collected from every FILE (a video file, or a folder walked to any depth)
// as the player's add command does, their metadata is read, and they are grouped exactly as
// the player's list is after its metadata scan: by the time of each recording's first track
// point (the file's date when it has none), trips of recordings less than 60 s apart.
//
//   [
//    {"name":"FILE0001-5","duration":300,"created":"2015-02-05T13:45:01.000Z"|null,
//     "timeSource":"gps"|"name"|"file","mode":"normal"|"event"|"parking"|"manual"|null,
//     "files":["/card/DCIM/100KVLA/FILE0001.MOV",…],"locked":[false,…],
//     "events":[{"time":…,"seconds":…,"kind":"impact",…},…],"stats":{"distanceMetres":…},
//     "children":[{"name":"FILE0001.MOV",…,"children":[]},…]},
//    {"name":"20170708_221449_NF.mp4",…,"files":["…/20170708_221449_NF.mp4"],
//     "channels":{"front":"…/20170708_221449_NF.mp4","rear":"…/20170708_221449_NR.mp4"},…},
//    …
//   ]
//
// timeSource says what "created" comes from: the first fix with a time ("gps"), the camera's
// name for the recording ("name"; also for cameras whose records are dated by it), or only the
// file's date ("file"); a trip's is its first recording's. duration is in seconds (null when the
// media could not be measured), mode is what the first file's name (or folder) says, null for
// names no camera family claims; locked says whether each file carries the lock flag. Every
// node has "events" (what the cameras marked, in their own words where they described it, and
// what the series show; a trip's count their seconds from the trip's start) and "stats" (the
// trip figures), as RVFiguresJson.h shows them. A FILE that does not exist is reported on
// stderr and left out; the exit status is then 1. Progress goes to stderr.

#include "export/RVJsonWriter.h"
#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVFiguresJson.h"
#include "tools/korvela-export/RVLibraryCollector.h"

#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

const char* modeName(RVRecordingMode mode)
{
    switch (mode) {
    case RVRecordingMode::Unknown:
        break;
    case RVRecordingMode::Normal:
        return "normal";
    case RVRecordingMode::Event:
        return "event";
    case RVRecordingMode::Parking:
        return "parking";
    case RVRecordingMode::Manual:
        return "manual";
    }
    return nullptr;
}

// The moments the cameras described in the node's files (Tesla's event.json), placed in the
// node's time as the trip joins its files.
std::vector<RVDescribedEvents> describedEvents(const RVVideoData& node)
{
    std::vector<RVDescribedEvents> perFile;
    if (node.children().empty()) {
        perFile.push_back({node.events(),
                           node.files().empty() ? RVTimestamp() : node.files().front()->created(),
                           0.0});
        return perFile;
    }
    float offset = 0;
    for (const RVVideoDataPtr& child : node.children()) {
        perFile.push_back(
            {child->events(),
             child->files().empty() ? RVTimestamp() : child->files().front()->created(),
             double(offset)});
        const float length = child->duration();
        offset += std::isfinite(length) && length > 0 ? length : 0.0f;
    }
    return perFile;
}

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
    json.key("timeSource");
    const RVTimeSource source =
        node.files().empty() ? RVTimeSource::File : node.files().front()->timeSource();
    json.string(std::string_view(timeSourceName(source)));
    json.key("mode");
    const char* mode = node.files().empty() ? nullptr : modeName(node.files().front()->mode());
    if (mode)
        json.string(std::string_view(mode));
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
    writeEvents(json, node.eventSeries(), describedEvents(node));
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

    // The scan read every recording; a trip's figures join its files' when its series are.
    for (const RVVideoDataPtr& node : *list.videosData()) {
        if (!node->stats())
            list.readGpsInfo(node, false);
    }

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
