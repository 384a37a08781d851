// Cameras that append their track to the video (Beferich J18 and others of the LIGOGPSINFO
// firmware): trailers after the last box, read from the end of the file. Each trailer is
//   u32 big-endian size, "SKIP" (or "skip"), the payload, a mark of four equal characters
//   ("####", "****", "&&&&"), u32 big-endian size again
// where the size counts the whole trailer, so the last eight bytes of the file find the last
// trailer's start, and the eight bytes before that start the trailer before it. A real
// recording holds two: a directory of scrambled records and one of the same records in plain
// text (metadata/freegps/RVFreeGpsLigo.cpp gives both). The plain one is read when it holds
// fixes, the other otherwise; their times are the camera's clock.

#include "metadata/RVLigoTrailerMetaDataReader.h"

#include "metadata/RVByteReader.h"
#include "metadata/RVInVideoReading.h"
#include "metadata/RVMetaPath.h"
#include "metadata/freegps/RVFreeGps.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

#include <QByteArray>
#include <QIODevice>

namespace {

using Status = RVFreeGps::Block::Status;

constexpr qint64 kEnds = 8; // the size and "SKIP" at the start, the mark and size at the end
// Trailers looked at from the end: the real recording has two.
constexpr int kMaxTrailers = 4;

bool isEndMark(const QByteArray& tail)
{
    const char c = tail[0];
    return (c == '#' || c == '*' || c == '&') && tail[1] == c && tail[2] == c && tail[3] == c;
}

// The start of the trailer that ends at `end`, with its payload; -1 when the bytes before `end`
// close no trailer.
qint64 trailerBefore(QIODevice& device, qint64 end, QByteArray& payload)
{
    if (end < 2 * kEnds || !device.seek(end - kEnds))
        return -1;
    const QByteArray tail = device.read(kEnds);
    if (tail.size() != kEnds || !isEndMark(tail))
        return -1;
    const qint64 size = *RVByteReader(std::string_view(tail.constData(), kEnds)).u32(4);
    if (size < 2 * kEnds || size > end || size > RVMetaPath::Limits::kGpsRecords)
        return -1;
    const qint64 start = end - size;
    if (!device.seek(start))
        return -1;
    const QByteArray head = device.read(kEnds);
    if (head.size() != kEnds || head.mid(4).toUpper() != "SKIP")
        return -1;
    payload = device.read(size - 2 * kEnds);
    return payload.size() == size - 2 * kEnds ? start : -1;
}

} // namespace

std::optional<RVMetaData>
RVLigoTrailerMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData>
RVLigoTrailerMetaDataReader::readMetaDataOrDecline(const QString& videoPath, RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVLigoTrailerMetaDataReader::readMetaData(QIODevice& device,
                                                                    qint64 fileSize, RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    std::optional<RVFreeGps::Block> plain, other;
    bool encrypted = false, found = false;
    qint64 end = fileSize;
    QByteArray payload;
    for (int i = 0; i < kMaxTrailers; ++i) {
        const qint64 start = trailerBefore(device, end, payload);
        if (start < 0)
            break;
        end = start;
        const std::string_view directory(payload.constData(), std::size_t(payload.size()));
        if (!directory.starts_with("LIGOGPSINFO"))
            continue;
        found = true;
        RVFreeGps::Block block = RVFreeGpsLigo::decodeDirectory(directory);
        encrypted = encrypted || block.status == Status::Encrypted;
        if (block.fixes.empty())
            continue;
        std::optional<RVFreeGps::Block>& slot = directory[11] == ' ' ? plain : other;
        if (!slot)
            slot = std::move(block);
    }
    if (plain || other) {
        RVMetaData data;
        RVFreeGps::appendTo(plain ? *plain : *other, data);
        return data;
    }
    if (found) {
        decline = {encrypted ? RVDecline::Kind::Encrypted : RVDecline::Kind::NoFixYet,
                   QStringLiteral("LIGOGPSINFO trailers at the end of the file: ") +
                       (encrypted ? QStringLiteral("records in a digit cipher")
                                  : QStringLiteral("no record holds a fix"))};
    }
    return std::nullopt;
}
