// Rove Stealth 4K and other cameras on Ambarella A12 firmware, and BlueSkySea cameras.
//
// The data lives in a timed track of the video, one sample a second: a "gpmd" data track (the
// A12; GoPro's name, not GoPro's format) or a text track (BlueSkySea). Each sample is one record
// of ASCII XORed with 0xAA, the record the Azdome and EEEkit cameras put into freeGPS blocks
// and the Lamax S9 into its "gps0" box (metadata/freegps/RVFreeGpsText.cpp gives its fields):
// the raw sample starts with two zero bytes, then f2 e1 f0 ee 54 54 ("XKZD" and two 0xFE once
// decoded) on the A12, or two bytes, aa aa 54 54 on BlueSkySea; 311 bytes in ExifTool's dump.
// The two published samples (ExifTool's notes) hold a fix near Moscow and one near Paris.
//
// The record's time is the camera's clock: the A12's sample near Moscow reads 10:09:01, while
// its label field holds 07:08:59 of the same day (written with the month counted from 0, as
// C's struct tm does), Moscow's three hours behind, which can only be the receiver's UTC. The
// label is not read: one sample is too little to rely on its form. The fixes are read by the
// card's clock rule, as the names are (RVMetaData::localClock).

#include "metadata/RVXorTextMetaDataReader.h"

#include "metadata/RVInVideoReading.h"
#include "metadata/RVSampleTable.h"
#include "metadata/freegps/RVFreeGps.h"
#include "metadata/freegps/RVFreeGpsText.h"

#include <QByteArray>

namespace {

// Samples looked at for the mark before a track is taken for another camera's: the first one
// may be cut short while the camera starts.
constexpr std::size_t kProbeSamples = 4;

std::string_view view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

bool holdsRecords(QIODevice& device, const RVTimedTrack& track)
{
    return (track.codecIs("gpmd") || track.handlerIs("text") || track.handlerIs("sbtl")) &&
           RVSampleTable::anyOfFirstSamples(device, track, kProbeSamples,
                                            &RVFreeGpsText::isXorRecord);
}

} // namespace

std::optional<RVMetaData>
RVXorTextMetaDataReader::readMetaDataFromVideoFile(const QString& videoPath) const
{
    RVDecline why;
    return readMetaDataOrDecline(videoPath, why);
}

std::optional<RVMetaData> RVXorTextMetaDataReader::readMetaDataOrDecline(const QString& videoPath,
                                                                         RVDecline& why) const
{
    return RVInVideoReading::read(videoPath, why, &readMetaData);
}

std::optional<RVMetaData> RVXorTextMetaDataReader::readMetaData(QIODevice& device, qint64 fileSize,
                                                                RVDecline* why)
{
    RVDecline ignored;
    RVDecline& decline = why ? *why : ignored;
    decline = {RVDecline::Kind::NotMine, {}};
    const std::optional<RVSampleTable::Movie> movie = RVSampleTable::readMovie(device, fileSize);
    if (!movie)
        return std::nullopt;
    for (const RVTimedTrack& track : movie->tracks) {
        if (!holdsRecords(device, track))
            continue;
        RVMetaData data;
        data.localClock = true; // the samples' times too, also without a fix
        for (const RVTrackSample& sample : track.samples) {
            const QByteArray bytes = RVSampleTable::readSample(device, sample);
            if (!RVFreeGpsText::isXorRecord(view(bytes)))
                continue;
            RVFreeGps::Block block = RVFreeGpsText::decodeXorRecord(view(bytes));
            block.localClock = true;
            if (RVFreeGps::isSound(block))
                RVFreeGps::appendTo(block, data);
        }
        if (!data.points.empty() || !data.gSensorData.empty())
            return data;
        decline = {RVDecline::Kind::NoFixYet,
                   RVSampleTable::sampleAt(std::string_view(track.codec.data(), 4),
                                           track.samples.front()) +
                       QStringLiteral(" and the rest: XORed text records without a fix")};
        return std::nullopt;
    }
    return std::nullopt;
}
