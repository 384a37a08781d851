// BlackVue recordings: two side files named after the video, e.g. for
// /CARD/Record/20170708_221449_N.mp4:
//
// Track file 20170708_221449_N.gps (required; missing, or beginning with a bare "$" sentence,
// means not BlackVue): text lines
// separated by "\n", each a 15-character prefix "[1499552090960]" (receive time, ms since
// 1970) and an NMEA sentence (GGA altitude in metres, RMC fix; the rest ignored). The
// receiver's serial stream is logged raw, so a line may hold binary bytes (UBX) or a second
// prefix between the first prefix and the sentence: when the text after the prefix does not
// begin with "$", the sentence is taken from the last "$" of the line.
//
// Parking recordings usually have no fix and an empty track file; such a recording is still
// BlackVue's (its sensor file gives the graph, its name the date) when its name is a BlackVue
// name or a sensor file lies beside it. An empty track file alone claims nothing.
//
// The cameras write one pair of side files per recording, named without the channel and flag
// letters of the videos ("20170708_221449_NF.mp4" and "..._NR.mp4" share "20170708_221449_N.gps");
// a pair named after the whole video is used first.
//
// Sensor file 20170708_221449_N.3gf (optional): 10-byte records from the first byte on,
// big-endian; trailing bytes short of a whole record are ignored.
//   offset 0, u32: time counter (ms from the clip's start), kept only as the label "%d"
//   offset 4, s16: Z, 1/128 g, gravity included (1 g removed)
//   offset 6, s16: X, 1/128 g
//   offset 8, s16: Y, 1/128 g
// The scale is the one real files show: at rest the raw vector is 127 to 131 units long
// (DR650S, DR550DW), i.e. one g is 128 units. Reading the units as hundredths of g showed every
// acceleration about 1.3 times too large.
//
// Newer cameras (DR750S, DR900S/X, DR770X and later) keep the same data inside the video when
// no side file exists: a top-level "free" box (a sibling of "moov") whose payload is a run of
// ordinary boxes:
//   "gps "  the track text as above, padded with NULs
//   "3gf "  the sensor records as above, ended by ten 0xFF bytes
//   "cprt"  maker and model: "maker;model;firmware;..." or " {json object}"
//   "sttm", "ptnm", "thum", "ptrh"  not read
// The side files win when they exist.

#include "metadata/RVBlackVueMetaDataReader.h"

#include "core/RVTextSplit.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"
#include "metadata/RVRecordingName.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

constexpr std::size_t kPrefixLength = 15;
constexpr std::size_t kRecordSize = 10;
// Sensor units per g.
constexpr double kUnitsPerG = 128.0;

// The sentence of a track line, or an empty view when the line holds none.
std::string_view sentenceOfLine(std::string_view line)
{
    if (line.size() <= kPrefixLength)
        return {};
    const std::string_view rest = line.substr(kPrefixLength);
    if (rest.front() == '$')
        return rest;
    const std::size_t dollar = rest.rfind('$');
    return dollar == std::string_view::npos ? std::string_view() : rest.substr(dollar);
}

// A 16-bit field read through readIntFromData, its low 16 bits taken as signed, in g.
double signedG(std::string_view record, std::size_t offset)
{
    const std::uint32_t raw = RVBlackVueMetaDataReader::readIntFromData(
        RVBlackVueMetaDataReader::getSubDataFrom(offset, offset + 2, record));
    return double(std::int16_t(std::uint16_t(raw & 0xFFFF))) / kUnitsPerG;
}

// A box's payload, or nothing when it cannot be read or is over maxBytes.
std::optional<QByteArray> readPayload(QIODevice& device, const RVBox& box, qint64 maxBytes,
                                      const QString& name)
{
    RVBoxPayload payload = RVBoxPayload::read(device, box, maxBytes);
    if (payload.status == RVBoxPayload::Status::TooLarge)
        RVMetaPath::reportOversize(name, box.payloadSize(), maxBytes);
    if (payload.status != RVBoxPayload::Status::Read)
        return std::nullopt;
    return std::move(payload.bytes);
}

// The records of an embedded sensor box, up to the ten 0xFF bytes that end them.
std::string_view sensorRecords(std::string_view payload)
{
    const std::string_view end("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", kRecordSize);
    for (std::size_t offset = 0; offset + kRecordSize <= payload.size(); offset += kRecordSize) {
        if (payload.substr(offset, kRecordSize) == end)
            return payload.substr(0, offset);
    }
    return payload;
}

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

std::optional<RVMetaData>
RVBlackVueMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    const QString folder = RVMetaPath::withoutLastComponents(videoPath, 1) + QLatin1Char('/');
    QString stem = folder + RVMetaPath::baseName(videoPath);
    QString trackPath = stem + QStringLiteral(".gps");
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    const bool blackVueName = name && name->family == RVCameraFamily::BlackVue;
    if (!RVMetaPath::exists(trackPath)) {
        // The cameras name the side files without the channel and flag letters, one pair for
        // all channels of the recording.
        if (blackVueName) {
            stem = folder + name->sideFileStem;
            trackPath = stem + QStringLiteral(".gps");
        }
    }
    if (!RVMetaPath::exists(trackPath)) {
        // Newer models keep the same data inside the video.
        RVRegularFile video;
        if (!RVMetaPath::openRegularFile(video, videoPath, QIODevice::Unbuffered))
            return std::nullopt;
        return readEmbeddedData(video, video.size(), videoPath);
    }
    QStringList related{trackPath};
    const std::optional<QByteArray> text =
        RVMetaPath::readWholeFile(trackPath, RVMetaPath::Limits::kNmeaText);
    const QString sensorPath = stem + QStringLiteral(".3gf");
    const bool sensorFile = RVMetaPath::exists(sensorPath);
    // A track that begins with a bare sentence is some other camera's plain NMEA log, left to
    // the reader of those: BlackVue prefixes every line with its receive time.
    if (!text || (text->isEmpty() && !blackVueName && !sensorFile) || text->startsWith('$'))
        return std::nullopt;
    RVMetaData data =
        readMetaDataFromText(std::string_view(text->constData(), std::size_t(text->size())));

    if (sensorFile) {
        related.append(sensorPath);
        const std::optional<QByteArray> bytes =
            RVMetaPath::readWholeFile(sensorPath, RVMetaPath::Limits::kSensorRecords);
        if (bytes && !bytes->isEmpty())
            data.gSensorData = readGSensorFromText(
                std::string_view(bytes->constData(), std::size_t(bytes->size())));
    }
    data.relatedFiles = related;
    return data;
}

std::optional<RVMetaData>
RVBlackVueMetaDataReader::readEmbeddedData(QIODevice& device, qint64 fileSize, const QString& name)
{
    RVBoxWalker top(device, 0, fileSize);
    while (const std::optional<RVBox> free = top.find("free")) {
        std::optional<RVBox> track, sensor, copyright;
        RVBoxWalker inner(device, free->payloadOffset(), free->end);
        while (const std::optional<RVBox> box = inner.next()) {
            if (box->is("gps ") && !track)
                track = box;
            else if (box->is("3gf ") && !sensor)
                sensor = box;
            else if (box->is("cprt") && !copyright)
                copyright = box;
        }
        // Other "free" boxes are padding; the camera's one holds the track or the samples.
        if (!track && !sensor)
            continue;
        RVMetaData data;
        if (track) {
            const std::optional<QByteArray> text =
                readPayload(device, *track, RVMetaPath::Limits::kNmeaText, name);
            if (!text)
                return std::nullopt;
            std::string_view lines = view(*text);
            lines = lines.substr(0, lines.find_last_not_of('\0') + 1); // NUL padding
            data = readMetaDataFromText(lines);
        }
        if (sensor) {
            const std::optional<QByteArray> records =
                readPayload(device, *sensor, RVMetaPath::Limits::kSensorRecords, name);
            if (!records)
                return std::nullopt;
            data.gSensorData = readGSensorFromText(sensorRecords(view(*records)));
        }
        if (copyright) {
            if (const std::optional<QByteArray> text =
                    readPayload(device, *copyright, RVMetaPath::Limits::kDescription, name))
                data.cameraModel = readCameraModel(view(*text));
        }
        return data;
    }
    return std::nullopt;
}

QString RVBlackVueMetaDataReader::readCameraModel(std::string_view copyright)
{
    const QString text =
        QString::fromUtf8(copyright.data(), qsizetype(copyright.size())).remove(QChar(0)).trimmed();
    QString model;
    if (text.startsWith(QLatin1Char('{'))) {
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        for (const char* key : {"model", "Model", "model_name", "modelName"}) {
            model = object.value(QLatin1String(key)).toString();
            if (!model.isEmpty())
                break;
        }
    } else {
        const QStringList fields = text.split(QLatin1Char(';'));
        if (fields.size() >= 2)
            model = fields[1];
    }
    // Shown in a tooltip: one short line of printable text.
    model.removeIf([](QChar c) { return !c.isPrint(); });
    return model.trimmed().left(64);
}

RVMetaData RVBlackVueMetaDataReader::readMetaDataFromText(std::string_view text)
{
    RVNmeaTrackBuilder track;
    track.reserveForText(text.size());
    RVLineSplitter lines(text);
    std::string_view line;
    while (lines.next(line)) {
        const std::string_view sentence = sentenceOfLine(line);
        if (!sentence.empty())
            track.addLine(sentence);
    }
    RVMetaData data;
    track.moveInto(data);
    return data;
}

std::vector<RVSensorData> RVBlackVueMetaDataReader::readGSensorFromText(std::string_view bytes)
{
    std::vector<RVSensorData> samples;
    const RVByteReader reader(bytes);
    samples.reserve(bytes.size() / kRecordSize);
    for (std::size_t offset = 0; offset + kRecordSize <= bytes.size(); offset += kRecordSize) {
        const std::string_view record = *reader.bytes(offset, kRecordSize);
        const std::int32_t counter = RVByteReader(record).s32(0).value_or(0);
        const double z = signedG(record, 4) - 1.0; // gravity removed
        const double x = signedG(record, 6);
        const double y = signedG(record, 8);
        samples.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z),
                             RVSensorLabel::number(counter));
    }
    return samples;
}

std::uint32_t RVBlackVueMetaDataReader::readIntFromData(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (const char byte : bytes)
        value = (value << 8) | std::uint32_t(static_cast<unsigned char>(byte));
    return value;
}

std::string_view RVBlackVueMetaDataReader::getSubDataFrom(std::size_t start, std::size_t end,
                                                          std::string_view bytes)
{
    end = std::min(end, bytes.size());
    if (start >= end)
        return {};
    return bytes.substr(start, end - start);
}
