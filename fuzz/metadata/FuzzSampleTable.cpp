// The sample table of an in-memory "video file": every timed track's samples must lie inside
// the file and come no more than the limit; each sample is read back. Then every reader of
// data carried in a track reads the same bytes, each keeping its track and speeds in step.
#include "fuzz/FuzzInput.h"
#include "metadata/RVCarcamMetaDataReader.h"
#include "metadata/RVGarminMetaDataReader.h"
#include "metadata/RVGoProMetaDataReader.h"
#include "metadata/RVNextbaseMetaDataReader.h"
#include "metadata/RVNmeaTrackMetaDataReader.h"
#include "metadata/RVSampleTable.h"
#include "metadata/RVThinkwareMetaDataReader.h"
#include "metadata/RVVantrueMetaDataReader.h"
#include "metadata/RVVueroidMetaDataReader.h"
#include "metadata/RVWolfboxMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    QBuffer& buffer = file.buffer;
    const qint64 fileSize = file.bytes.size();
    if (const auto movie = RVSampleTable::readMovie(buffer, fileSize)) {
        for (const RVTimedTrack& track : movie->tracks) {
            if (track.samples.size() > RVSampleTable::kMaxSamples)
                __builtin_trap();
            for (const RVTrackSample& sample : track.samples) {
                if (sample.offset < 0 || sample.size == 0 || sample.offset + sample.size > fileSize)
                    __builtin_trap();
                const QByteArray read = RVSampleTable::readSample(buffer, sample);
                if (read.size() != qsizetype(sample.size) ||
                    read != file.bytes.mid(sample.offset, sample.size))
                    __builtin_trap();
                const std::string_view text = RVSampleTable::subtitleText(
                    std::string_view(read.constData(), std::size_t(read.size())));
                if (text.data() < read.constData() ||
                    text.data() + text.size() > read.constData() + read.size())
                    __builtin_trap();
            }
        }
    }
    // A reader's track keeps its speeds in step; a reader that read nothing but knew the file
    // for its own says where and why.
    for (const auto read :
         {RVGoProMetaDataReader::readMetaData, RVThinkwareMetaDataReader::readMetaData,
          RVNextbaseMetaDataReader::readMetaData, RVGarminMetaDataReader::readMetaData,
          RVVantrueMetaDataReader::readMetaData, RVWolfboxMetaDataReader::readMetaData,
          RVVueroidMetaDataReader::readMetaData, RVNmeaTrackMetaDataReader::readMetaData,
          RVCarcamMetaDataReader::readMetaData}) {
        RVDecline why;
        const std::optional<RVMetaData> track = read(buffer, fileSize, &why);
        if (track && track->points.size() != track->velocityData.size())
            __builtin_trap();
        if (!track && why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty())
            __builtin_trap();
    }
    return 0;
}
