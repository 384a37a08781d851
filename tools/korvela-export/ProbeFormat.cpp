// --format probe: per FILE, what a maintainer needs to add a camera the player does not read,
// and nothing private beyond it (no folder, no decoded position, no video frame):
//
//   [
//    {"file":"2024_0522_025429_001.MP4","size":123456789,
//     "nameRule":{"family":"Novatek","mode":"normal","channel":"front"}|null,
//     "format":"Novatek"|null,
//     "readers":[{"reader":"BlackVue","decline":"not mine","detail":""},…],
//     "boxes":[{"type":"moov","offset":32,"size":9000,"children":[…]},
//              {"type":"gps ","offset":…,"size":…,"head":"0000000100000e10…"},…],
//     "boxesTruncated":true (only when the tree was longer than 2,000 boxes),
//     "tracks":[{"handler":"soun","codec":"mp4a","firstSample":{"offset":…,"size":…,
//                "head":"…"}},…],
//     "freeGPS":{"index":offset|null,"blocks":3600,
//                "layouts":[{"layout":"Vantrue S1 (record at 0x40)"|null,
//                            "status":"fix"|"no fix"|"encrypted"|"unknown",
//                            "blocks":3599,"firstOffset":32768,
//                            "head":"…" (the first 256 bytes, for blocks no layout read)}]},
//     "dataAt":"freeGPS blocks from offset 0x8000 ("gps " index at 0x1f2a)"|…|null},
//    …
//   ]
//
// "head" values are hex. Which reader read the file is "format"; every reader asked before it
// (or all of them, when none did) is listed with the kind and detail of its decline.

#include "metadata/RVBoxWalker.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVRecordingName.h"
#include "metadata/freegps/RVFreeGps.h"
#include "tools/korvela-export/RVExportFormats.h"
#include "tools/korvela-export/RVJsonWriter.h"
#include "tools/korvela-export/RVMediaProbe.h"

#include <QFile>
#include <QFileInfo>

#include <map>

namespace {

// The box types cameras keep their own data in, for "dataAt".
constexpr std::string_view kCameraBoxes[] = {"gps ", "GPS ", "udat", "gpmd", "cprt", "3gf "};

std::string hexText(const QByteArray& bytes)
{
    return bytes.toHex().toStdString();
}

QString familyName(RVCameraFamily family)
{
    return QString::fromLatin1(cameraFamily(family).format);
}

QString modeName(RVRecordingMode mode)
{
    switch (mode) {
    case RVRecordingMode::Unknown:
        return QStringLiteral("unknown");
    case RVRecordingMode::Normal:
        return QStringLiteral("normal");
    case RVRecordingMode::Event:
        return QStringLiteral("event");
    case RVRecordingMode::Parking:
        return QStringLiteral("parking");
    case RVRecordingMode::Manual:
        return QStringLiteral("manual");
    }
    return {};
}

void writeBoxes(RVJsonWriter& json, const std::vector<RVProbeBox>& boxes, QString& dataAt)
{
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const RVProbeBox& box : boxes) {
        json.beginObject();
        json.key("type");
        json.string(box.type);
        json.key("offset");
        json.number(double(box.offset));
        json.key("size");
        json.number(double(box.size));
        if (!box.head.isEmpty()) {
            json.key("head");
            json.string(hexText(box.head));
        }
        if (!box.children.empty()) {
            json.key("children");
            writeBoxes(json, box.children, dataAt);
        }
        json.endObject();
        for (const std::string_view type : kCameraBoxes) {
            if (dataAt.isEmpty() && box.type == type)
                dataAt = QStringLiteral("\"%1\" box at offset 0x%2")
                             .arg(QString::fromLatin1(type.data(), 4))
                             .arg(box.offset, 0, 16);
        }
    }
    json.endArray();
}

void writeTracks(RVJsonWriter& json, const std::vector<RVProbeTrack>& tracks)
{
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const RVProbeTrack& track : tracks) {
        json.beginObject();
        json.key("handler");
        json.string(track.handler);
        json.key("codec");
        json.string(track.codec);
        if (track.firstSampleOffset >= 0 && track.handler != "vide") {
            json.key("firstSample");
            json.beginObject();
            json.key("offset");
            json.number(double(track.firstSampleOffset));
            json.key("size");
            json.number(double(track.firstSampleSize));
            json.key("head");
            json.string(hexText(track.firstSampleHead));
            json.endObject();
        }
        json.endObject();
    }
    json.endArray();
}

const char* statusName(RVFreeGps::Block::Status status)
{
    switch (status) {
    case RVFreeGps::Block::Status::Fix:
        return "fix";
    case RVFreeGps::Block::Status::NoFix:
        return "no fix";
    case RVFreeGps::Block::Status::Encrypted:
        return "encrypted";
    case RVFreeGps::Block::Status::Unknown:
        return "unknown";
    }
    return "";
}

// The freeGPS blocks, grouped by the layout and outcome of their reading; nothing is written
// for a file without blocks or index. Gives the place for "dataAt".
QString writeFreeGps(RVJsonWriter& json, QIODevice& device, qint64 fileSize, const QString& name)
{
    const RVNovatekMetaDataReader::Places places =
        RVNovatekMetaDataReader::findBlocks(device, fileSize, name);
    if (!places.haveIndex && places.offsets.empty())
        return {};
    struct Group
    {
        int blocks = 0;
        qint64 firstOffset = 0;
        QByteArray head;
    };
    std::map<std::pair<const RVFreeGps::Layout*, RVFreeGps::Block::Status>, Group> groups;
    for (const qint64 offset : places.offsets) {
        if (!device.seek(offset))
            continue;
        const QByteArray head = device.read(RVNovatekMetaDataReader::kBlockHeadBytes);
        const RVFreeGps::Block block = RVFreeGps::read(
            std::string_view(head.constData(), std::size_t(head.size())), places.hints);
        Group& group = groups[{block.layout, block.status}];
        if (group.blocks++ == 0) {
            group.firstOffset = offset;
            if (block.status == RVFreeGps::Block::Status::Unknown)
                group.head = head.left(RVMediaProbe::kHeadBytes);
        }
    }
    json.key("freeGPS");
    json.beginObject();
    json.key("index");
    if (places.indexOffset >= 0)
        json.number(double(places.indexOffset));
    else
        json.null();
    json.key("blocks");
    json.number(double(places.offsets.size()));
    json.key("layouts");
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const auto& [key, group] : groups) {
        json.beginObject();
        json.key("layout");
        if (key.first)
            json.string(std::string_view(key.first->name));
        else
            json.null();
        json.key("status");
        json.string(std::string_view(statusName(key.second)));
        json.key("blocks");
        json.number(group.blocks);
        json.key("firstOffset");
        json.number(double(group.firstOffset));
        if (!group.head.isEmpty()) {
            json.key("head");
            json.string(hexText(group.head));
        }
        json.endObject();
    }
    json.endArray();
    json.endObject();
    QString where =
        places.offsets.empty()
            ? QStringLiteral("no freeGPS block")
            : QStringLiteral("freeGPS blocks from offset 0x%1").arg(places.offsets.front(), 0, 16);
    if (places.indexOffset >= 0)
        where += QStringLiteral(" (\"gps \" index at 0x%1)").arg(places.indexOffset, 0, 16);
    return where;
}

bool probeFile(RVJsonWriter& json, const QString& path, QString& error)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("Is a directory");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    json.beginObject();
    json.key("file");
    json.string(QFileInfo(path).fileName());
    json.key("size");
    json.number(double(size));

    json.key("nameRule");
    if (const std::optional<RVRecordingName> rule = parseRecordingName(path)) {
        json.beginObject();
        json.key("family");
        json.string(familyName(rule->family));
        json.key("mode");
        json.string(modeName(rule->mode));
        json.key("channel");
        json.string(channelName(rule->channel));
        json.endObject();
    } else {
        json.null();
    }

    QString format;
    std::vector<std::pair<QString, RVDecline>> declines;
    (void)RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path, &format, &declines);
    json.key("format");
    json.stringOrNull(format.isEmpty() ? QString() : format);
    json.key("readers");
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const auto& [reader, why] : declines) {
        json.beginObject();
        json.key("reader");
        json.string(reader);
        json.key("decline");
        json.string(declineKindName(why.kind));
        json.key("detail");
        json.string(why.detail);
        json.endObject();
    }
    json.endArray();

    const RVMediaProbe probe = RVMediaProbe::read(file, size);
    QString dataAt;
    json.key("boxes");
    writeBoxes(json, probe.boxes, dataAt);
    if (probe.truncated) {
        json.key("boxesTruncated");
        json.raw("true");
    }
    json.key("tracks");
    writeTracks(json, probe.tracks);
    const QString blocks = writeFreeGps(json, file, size, path);
    if (!blocks.isEmpty())
        dataAt = blocks;
    json.key("dataAt");
    json.stringOrNull(dataAt.isEmpty() ? QString() : dataAt);
    json.endObject();
    return true;
}

} // namespace

int runProbeFormat(const RVExportContext& context)
{
    int status = 0;
    RVJsonWriter json(context.out);
    json.beginArray(RVJsonWriter::Layout::OnePerLine);
    for (const QString& path : context.files) {
        QString error;
        if (!probeFile(json, path, error)) {
            std::fprintf(context.err, "korvela-export: %s: %s\n", qPrintable(path),
                         qPrintable(error));
            status = 1;
        }
    }
    json.endArray();
    json.newline();
    if (!json.flush()) {
        std::fprintf(context.err, "korvela-export: could not write the output\n");
        status = 1;
    }
    return status;
}
