// CARCAM 4CH recordings: scrambled LIGOGPSINFO records in the samples of an "ssmd" track. The
// real bytes are a public recording's first three samples, its records' coordinates and times
// replaced (tests/data/SOURCES.md, dashcamigo).
#include "metadata/RVCarcamMetaDataReader.h"

#include "TestFiles.h"
#include "TrackFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray realRecording()
{
    return TestFiles::realData("dashcamigo/carcam-4ch-front.mp4");
}

// The real file's first sample: 184 bytes at 0x1ED, its record at 0x3A.
constexpr qsizetype kFirstSample = 0x1ED;
constexpr qsizetype kSampleBytes = 184;
constexpr qsizetype kRecordAt = 0x3A;

// The real sample's preamble and header with a record of the given text (after its 4-byte
// counter), scrambled in the plainest rounds (a steering byte 0xC0, four characters XORed with
// 0x20). The sample ends with the record: the camera's leave zeros after it, never a whole
// 0x84-byte slot.
QByteArray sampleWith(const QByteArray& text)
{
    QByteArray padded = QByteArray(4, '\0') + text;
    padded += QByteArray((4 - padded.size() % 4) % 4, '\0');
    QByteArray scrambled;
    for (qsizetype i = 0; i < padded.size(); i += 4) {
        scrambled += char(0xC0);
        for (qsizetype j = i; j < i + 4; ++j)
            scrambled += char(padded[j] ^ 0x20);
    }
    const char n = char(scrambled.size());
    return realRecording().mid(kFirstSample, kRecordAt) + "####" + QByteArray(1, n) +
           QByteArray(3, '\0') + scrambled;
}

TrackFiles::Track dataTrack(std::vector<QByteArray> samples, const char* codec = "ssmd")
{
    return {.handler = "meta", .codec = codec, .samples = std::move(samples)};
}

} // namespace

TEST(CarcamReader, ReadsTheRecordsOfARealRecording)
{
    // Named and filed as the camera does. The coordinates are read as written (the header's
    // word asks for the offset that other cameras' blocks need), the speed is in knots, the
    // times (18:06:00 on) by the camera's clock, as the name is: Berlin's, 2 h ahead of UTC.
    QTemporaryDir dir;
    QString format;
    const auto read = TestFiles::readVideo(dir.path() + "/Normal/A/REC20250607-180617-527-A.mp4",
                                           realRecording(), &format);
    EXPECT_EQ(format, "CARCAM");
    EXPECT_EQ(TestFiles::text(read), "50.000000 30.000000 2025-06-07 16:06:00.000 18.52 nan 0\n"
                                     "50.000100 30.000100 2025-06-07 16:06:01.000 18.52 nan 0\n"
                                     "50.000200 30.000200 2025-06-07 16:06:02.000 18.52 nan 0\n"
                                     "18.52 18.52 18.52 ");
}

TEST(CarcamReader, SaysWhyARecordingGaveNoTrack)
{
    const QByteArray real = realRecording().mid(kFirstSample, kSampleBytes);
    QByteArray cipher = sampleWith("2025/06/07 18:06:00 N:50.000000 E:30.000000 10.0");
    cipher[kRecordAt + 8] = 0x20; // a steering byte no round has: not the scrambling
    const QByteArray noFix = sampleWith("2025/06/07 18:06:00 ?:0.000000 ?:0.000000 0.0");
    const QByteArray moving = sampleWith("2025/06/07 18:06:00 S:33.5 W:70.25 20 A:-90 x:0 y:1 z:0");
    const QByteArray tooFast = sampleWith("2025/06/07 18:06:00 N:50.0 E:30.0 9999");
    // The track, and the points read or the decline's kind and the start of its detail.
    const std::pair<TrackFiles::Track, const char*> cases[] = {
        // A Neoline camera's 40-byte records in an "ssmd" track are another camera's.
        {dataTrack({QByteArray(40, '\x7e'), QByteArray(40, '\x7e')}), "not mine "},
        {dataTrack({real.left(0x60)}), "unknown layout ssmd sample at offset 0x"},
        {dataTrack({tooFast}), "unknown layout ssmd sample at offset 0x"},
        {dataTrack({cipher, cipher}), "encrypted 2 LIGOGPSINFO samples, the first at offset 0x"},
        {dataTrack({noFix, real.left(0x30)}), "no fix yet 1 LIGOGPSINFO samples: no fix"},
        {dataTrack({real}, "gpmd"), "unknown layout gpmd sample at offset 0x"},
        // A preview before, a sample of the preamble alone and one cut short among good ones.
        {dataTrack({real.left(0x1E), real.left(0x60), moving, real}),
         "-33.500000 -70.250000 2025-06-07 18:06:00.000 37.04 nan 270\n"
         "50.000000 30.000000 2025-06-07 18:06:00.000 18.52 nan 0\n"},
    };
    for (const auto& [track, read] : cases) {
        RVDecline why;
        const auto data =
            TestFiles::readBytes(TrackFiles::movie({dataTrack({QByteArray(500, '\xff')}), track}),
                                 RVCarcamMetaDataReader::readMetaData, &why);
        std::string got;
        if (data) {
            for (const RVPoint& p : data->points)
                got += TestFiles::text(p) + "\n";
        } else {
            got = (declineKindName(why.kind) + ' ' + why.detail).toStdString();
        }
        EXPECT_EQ(got.substr(0, std::strlen(read)), read) << got;
    }
}
