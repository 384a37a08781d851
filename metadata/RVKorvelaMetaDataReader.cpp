// Korvela recordings: the maker's own cameras.
//
// Where the data lives, for a video P = /CARD/VIDEO/FILE0001.MOV (first place that exists wins;
// an existing side file ends the search even when it is empty or unreadable):
//   1. /CARD/INFO/FILE0001.txt     (folder above the video's folder, INFO, video name + .txt)
//   2. /CARD/VIDEO/FILE0001.txt    (beside the video)
//   3. a top-level box of type "udat" (75 64 61 74, not the standard "udta") in the video.
//
// Box walk: top-level boxes only (RVBoxWalker), each with an 8-byte header
//   offset 0, 4 bytes: size, big-endian, taken as signed 32-bit (64-bit sizes unsupported)
//   offset 4, 4 bytes: type, four ASCII characters
// The "udat" payload is read as "size" bytes starting right after the header (the camera's
// size field is taken as the payload length; a header-inclusive size adds up to 8 bytes of
// whatever follows, which land at the end of the last line). Reads stop at the end of file.
// Side texts and payloads over RVMetaPath::Limits::kStreamedText are not read. Both side
// texts, when they exist, are the recording's side files (locked and deleted with it).
//
// Text: lines separated by "\n", either NMEA sentences (GGA gives the altitude in metres,
// RMC the fix; everything else ignored) or G-sensor lines
//   $GS,x,y,z      accelerations in thousandths of g; z includes gravity, so 1000 is removed
// A $GS line has no time of its own; it is labelled with the latest RMC fix before it
// ("0" before the first fix).

#include "metadata/RVKorvelaMetaDataReader.h"

#include "core/RVNumber.h"
#include "core/RVTextSplit.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVByteReader.h"
#include "metadata/RVMetaPath.h"
#include "metadata/RVNmeaTrackBuilder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Thousandths of g per g.
constexpr double kMilliG = 1000.0;
// The longest line kept whole; the rest of a longer one is dropped.
constexpr std::size_t kMaxLineBytes = 64 << 10;

// A "$GS" line as a sample, or nothing when it has fewer than four fields.
std::optional<RVSensorData> readSensorLine(std::string_view line, RVSensorLabel label)
{
    const RVFieldSplitter fields(line);
    if (fields.count() < 4)
        return std::nullopt;
    const double x = RVNumber::leadingValue(fields[1]) / kMilliG;
    const double y = RVNumber::leadingValue(fields[2]) / kMilliG;
    const double z = RVNumber::leadingValue(fields[3]) / kMilliG - 1.0; // gravity removed
    return RVSensorData(x, y, z, std::sqrt(x * x + y * y + z * z), label);
}

// The line scan over a text that arrives in pieces: a side text or box payload is read in
// blocks rather than whole, so a day-long log (over a hundred megabytes) is never held in
// memory beside the track made from it.
class TextScan final
{
public:
    explicit TextScan(std::size_t textBytesHint) { m_track.reserveForText(textBytesHint); }

    void feed(std::string_view block)
    {
        m_bytes += block.size();
        if (!m_partial.empty()) {
            // Complete the line cut at the end of the previous block.
            const std::size_t end = block.find('\n');
            // A line without end (a broken or hostile file) keeps only its start: no sentence
            // is longer than a few hundred bytes.
            const std::size_t room = kMaxLineBytes - std::min(kMaxLineBytes, m_partial.size());
            m_partial.append(block.substr(0, std::min(end, room)));
            if (end == std::string_view::npos)
                return;
            addLine(m_partial);
            m_partial.clear();
            block.remove_prefix(end + 1);
        }
        const std::size_t lastNewline = block.rfind('\n');
        if (lastNewline == std::string_view::npos) {
            m_partial.assign(block);
            return;
        }
        RVLineSplitter lines(block.substr(0, lastNewline));
        std::string_view line;
        while (lines.next(line))
            addLine(line);
        m_partial.assign(block.substr(lastNewline + 1));
    }

    std::optional<RVMetaData> finish()
    {
        if (m_bytes == 0)
            return std::nullopt;
        addLine(m_partial);
        RVMetaData data;
        m_track.moveInto(data);
        m_samples.shrink_to_fit();
        data.gSensorData = std::move(m_samples);
        return data;
    }

private:
    void addLine(std::string_view line)
    {
        if (m_track.addLine(line) || !line.starts_with("$GS"))
            return;
        const RVSensorLabel label = m_track.isEmpty()
                                        ? RVSensorLabel::number(0)
                                        : RVSensorLabel::instant(m_track.lastPoint().time());
        if (const std::optional<RVSensorData> sample = readSensorLine(line, label))
            m_samples.push_back(*sample);
    }

    RVNmeaTrackBuilder m_track;
    std::vector<RVSensorData> m_samples;
    std::string m_partial; // the start of a line whose end is in the next block
    std::size_t m_bytes = 0;
};

// Every page of a fresh buffer costs a fault when it is first written, which shows next to
// the scan itself: a block of 128 KiB is 32 pages, a megabyte would be 256.
constexpr qint64 kReadBlockBytes = 128 << 10;

// Scans `length` bytes from the device's current position, block by block. Nothing when a
// read fails (readFailed then says so) or the text is empty; a device that ends early gives
// what it held.
std::optional<RVMetaData> scanDevice(QIODevice& device, qint64 length, bool& readFailed)
{
    readFailed = false;
    TextScan scan(std::size_t(std::max<qint64>(0, length)));
    QByteArray block(int(std::min(length, kReadBlockBytes)), Qt::Uninitialized);
    for (qint64 done = 0; done < length;) {
        const qint64 got = device.read(block.data(), std::min(length - done, kReadBlockBytes));
        if (got < 0) {
            readFailed = true;
            return std::nullopt;
        }
        if (got == 0)
            break;
        scan.feed(std::string_view(block.constData(), std::size_t(got)));
        done += got;
    }
    return scan.finish();
}

std::optional<RVMetaData> unreadable(RVDecline& why, const QString& detail)
{
    why = RVDecline{RVDecline::Kind::Unreadable, detail};
    return std::nullopt;
}

} // namespace

QStringList RVKorvelaMetaDataReader::sideTexts(const QString& videoPath)
{
    const QString candidates[] = {
        QStringLiteral("%1/INFO/%2.txt")
            .arg(RVMetaPath::withoutLastComponents(videoPath, 2), RVMetaPath::baseName(videoPath)),
        RVMetaPath::withoutExtension(videoPath) + QStringLiteral(".txt")};
    QStringList existing;
    for (const QString& candidate : candidates) {
        if (RVMetaPath::exists(candidate))
            existing.append(candidate);
    }
    return existing;
}

std::optional<RVMetaData>
RVKorvelaMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVKorvelaMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    // Every side text there is goes with the recording (locked and deleted with it), also the
    // one the first hides: a later video saved under this name must not pick up this track.
    const QStringList texts = sideTexts(videoPath);
    std::optional<RVMetaData> data;
    bool readFailed = false;
    if (!texts.isEmpty()) {
        const QString& sidePath = texts.front();
        RVRegularFile text;
        if (!RVMetaPath::openRegularFile(text, sidePath))
            return unreadable(why, sidePath + QStringLiteral(": not a regular file, or cannot "
                                                             "be opened"));
        if (text.size() > RVMetaPath::Limits::kStreamedText) {
            RVMetaPath::reportOversize(sidePath, text.size(), RVMetaPath::Limits::kStreamedText);
            return unreadable(why, sidePath + QStringLiteral(": over the size limit"));
        }
        data = scanDevice(text, text.size(), readFailed);
        if (readFailed)
            return unreadable(why, sidePath + QStringLiteral(": ") + text.errorString());
    } else {
        RVRegularFile video;
        if (!RVMetaPath::openRegularFile(video, videoPath))
            return unreadable(why, videoPath + QStringLiteral(": not a regular file, or cannot "
                                                              "be opened"));
        const qint64 fileSize = video.size();
        const std::optional<qint64> payloadLength = findUdatPayloadLength(video, fileSize);
        if (!payloadLength) {
            why = RVDecline{};
            return std::nullopt;
        }
        if (*payloadLength > RVMetaPath::Limits::kStreamedText) {
            RVMetaPath::reportOversize(videoPath, *payloadLength,
                                       RVMetaPath::Limits::kStreamedText);
            return unreadable(why, videoPath + QStringLiteral(": udat box over the size limit"));
        }
        data = scanDevice(video, *payloadLength, readFailed);
        if (readFailed)
            return unreadable(why, videoPath + QStringLiteral(": ") + video.errorString());
    }
    if (!data) {
        why = RVDecline{};
        return std::nullopt;
    }
    data->relatedFiles = texts;
    return data;
}

std::optional<RVMetaData> RVKorvelaMetaDataReader::readMetaDataFromText(std::string_view text)
{
    TextScan scan(text.size());
    scan.feed(text);
    return scan.finish();
}

std::optional<QByteArray> RVKorvelaMetaDataReader::findUdatPayload(QIODevice& device,
                                                                   qint64 fileSize)
{
    const std::optional<qint64> length = findUdatPayloadLength(device, fileSize);
    if (!length || *length > RVMetaPath::Limits::kStreamedText)
        return std::nullopt;
    QByteArray payload = device.read(*length);
    if (payload.size() != *length)
        return std::nullopt;
    return payload;
}

std::optional<qint64> RVKorvelaMetaDataReader::findUdatPayloadLength(QIODevice& device,
                                                                     qint64 fileSize)
{
    // The camera's sizes are signed 32-bit counts; a size below the header's own (0, 1,
    // garbage or negative) cannot move the walk forward and ends it.
    RVBoxWalker walker(device, 0, fileSize, RVBoxWalker::Sizes::Signed32);
    const std::optional<RVBox> udat = walker.find("udat");
    if (!udat || !device.seek(udat->payloadOffset()))
        return std::nullopt;
    // The size field is taken as the payload's length, never more than the file holds.
    const qint64 available = std::max<qint64>(0, fileSize - udat->payloadOffset());
    return std::min<qint64>(udat->declaredSize, available);
}

std::int32_t RVKorvelaMetaDataReader::getBlockLength(std::string_view header)
{
    return RVByteReader(header).s32(0).value_or(0);
}
