// CARCAM 4CH cameras (SigmaStar), names "REC<date>-<time>-<n>-A.mp4" in Normal/A and kin.
//
// The data lives in a track with handler "meta" and sample format "ssmd", one sample a second
// (184 bytes and up). SigmaStar firmware writes other "ssmd" tracks too (a JPEG preview,
// sensor records, Neoline's 40-byte fixes), so the track is the one whose samples hold the
// mark "LIGOGPSINFO\0". A sample:
//   +0x00  binary preamble: latitude f64, longitude f64, a time (not read: zeroed in the one
//          public recording, and the record after it holds the fix)
//   +0x1E  u32 big-endian size and "SKIP", a box whose payload starts with the mark (M)
//   M+0x14 one "####" record: u32 n, then n scrambled bytes; zeros to the sample's end
// Unscrambled, the record reads "YYYY/MM/DD hh:mm:ss N:lat E:lon <knots> ..." with the
// coordinates in decimal degrees as written and the time by the camera's clock, as its names
// are (metadata/freegps/RVFreeGpsLigo.cpp tells the scrambling, the fields and the clock).
// Records in a digit cipher instead of the scrambling are named encrypted. The same records
// in another carriage (a "gpmd" track) are not read: whether their coordinates are offset is
// not known for any such camera.

#include "metadata/RVCarcamMetaDataReader.h"

#include "metadata/RVInVideoReading.h"
#include "metadata/RVSampleTable.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

#include <QByteArray>

namespace {

using Status = RVFreeGps::Block::Status;

// Samples looked at for the mark before a data track is taken for another camera's: the first
// ones may be the receiver's empty records, and a preview track holds one sample.
constexpr std::size_t kProbeSamples = 4;

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

bool holdsRecords(QIODevice& device, const RVTimedTrack& track)
{
    return RVSampleTable::anyOfFirstSamples(device, track, kProbeSamples, [](std::string_view b) {
        return RVFreeGpsLigo::findMark(b).has_value();
    });
}

} // namespace

std::optional<RVMetaData>
RVCarcamMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVCarcamMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                        RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVCarcamMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                               RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    const RVTimedTrack* track = nullptr;
    for (const RVTimedTrack& candidate : movie->tracks) {
        if (!candidate.handlerIs("meta") && !candidate.codecIs("ssmd"))
            continue;
        if (!holdsRecords(device, candidate))
            continue;
        if (candidate.codecIs("ssmd")) {
            track = &candidate;
            break;
        }
        if (decline.kind == RVDecline::Kind::NotMine) {
            decline = {RVDecline::Kind::UnknownLayout,
                       RVSampleTable::sampleAt(std::string_view(candidate.codec.data(), 4),
                                               candidate.samples.front()) +
                           QStringLiteral(": LIGOGPSINFO records in a track of this kind are "
                                          "not read (their coordinates may be offset)")};
        }
    }
    if (!track)
        return std::nullopt;

    RVMetaData data;
    // The first sample of each kind that gave nothing, for the reason given.
    const RVTrackSample* firstEncrypted = nullptr;
    const RVTrackSample* firstUnread = nullptr;
    std::size_t marked = 0;
    for (const RVTrackSample& sample : track->samples) {
        const QByteArray bytes = RVSampleTable::readSample(device, sample);
        const std::optional<std::size_t> mark = RVFreeGpsLigo::findMark(view(bytes));
        if (!mark)
            continue; // a sample of the preamble alone, before the receiver starts
        ++marked;
        const RVFreeGps::Block block = RVFreeGpsLigo::decodeSample(view(bytes), *mark);
        RVFreeGps::appendTo(block, data);
        if (block.status == Status::Encrypted && !firstEncrypted)
            firstEncrypted = &sample;
        else if (block.status == Status::Unknown && !firstUnread)
            firstUnread = &sample;
    }
    if (!data.points.empty() || !data.gSensorData.empty())
        return data;

    const QString count = QStringLiteral("%1 LIGOGPSINFO samples").arg(marked);
    if (firstEncrypted) {
        decline = {RVDecline::Kind::Encrypted,
                   QStringLiteral("%1, the first at offset 0x%2: records in a digit cipher")
                       .arg(count)
                       .arg(firstEncrypted->offset, 0, 16)};
    } else if (firstUnread) {
        decline = {RVDecline::Kind::UnknownLayout,
                   RVSampleTable::sampleAt("ssmd", *firstUnread) +
                       QStringLiteral(": a LIGOGPSINFO record cut short or out of range")};
    } else {
        decline = {RVDecline::Kind::NoFixYet, count + QStringLiteral(": no fix")};
    }
    return std::nullopt;
}
