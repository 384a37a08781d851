// Tesla recordings: the telemetry message in the video's SEI units, read through the video
// track's sample table, the event of an event folder, and encrypted recordings.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVTeslaTelemetry.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <tuple>

using namespace TestFiles;

namespace {

QByteArray varint(std::uint64_t v)
{
    QByteArray out;
    do {
        out.append(char((v & 0x7F) | (v > 0x7F ? 0x80 : 0)));
        v >>= 7;
    } while (v);
    return out;
}
QByteArray le(std::uint64_t v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char(v >> (8 * i)));
    return out;
}
// Protobuf fields: varint, float (fixed 32) and double (fixed 64).
QByteArray pv(int field, std::uint64_t v)
{
    return varint(std::uint64_t(field) << 3) + varint(v);
}
QByteArray pf(int field, float v)
{
    return varint((std::uint64_t(field) << 3) | 5) + le(std::bit_cast<std::uint32_t>(v), 4);
}
QByteArray pd(int field, double v)
{
    return varint((std::uint64_t(field) << 3) | 1) + le(std::bit_cast<std::uint64_t>(v), 8);
}

// The car's SEI unit around a message, with emulation prevention as an encoder writes it.
QByteArray seiUnit(const QByteArray& message)
{
    const QByteArray payload = QByteArray(15, 'B') + 'i' + message;
    QByteArray rbsp = QByteArray(payload.size() / 255, char(0xFF)) + char(payload.size() % 255) +
                      payload + char(0x80);
    QByteArray escaped;
    int zeros = 0;
    for (const char c : rbsp) {
        if (zeros >= 2 && static_cast<unsigned char>(c) <= 3) {
            escaped.append(char(3));
            zeros = 0;
        }
        escaped.append(c);
        zeros = c == 0 ? zeros + 1 : 0;
    }
    return QByteArray("\x06\x05", 2) + escaped;
}

QByteArray message(double lat, double lon, float mps, float steering, int autopilot)
{
    return pv(1, 1) + pv(2, 1) + pv(3, 77) + pf(4, mps) + pf(5, 0.25f) + pf(6, steering) +
           pv(9, 1) + pv(10, std::uint64_t(autopilot)) + pd(11, lat) + pd(12, lon) + pd(13, 270.5) +
           pd(14, 0.5) + pv(99, 5);
}

// An MP4 whose video track holds the samples, ten a second, their NAL units behind 4-byte
// lengths; the sample entry is "avc1" or "encv".
QByteArray mp4(const std::vector<QByteArray>& samples, const char* entry = "avc1")
{
    QByteArray mdat;
    QByteArray sizes = be32(0) + be32(std::uint32_t(samples.size()));
    for (const QByteArray& s : samples) {
        mdat += s;
        sizes += be32(std::uint32_t(s.size()));
    }
    const QByteArray ftyp = standardBox("ftyp", "isom");
    const std::uint32_t mdatStart = std::uint32_t(ftyp.size() + 8);
    const QByteArray avcC = standardBox("avcC", QByteArray("\x01\x64\x00\x1f\xff", 5));
    const QByteArray sampleEntry = standardBox(
        entry, QByteArray(78, '\0') + avcC +
                   (std::strcmp(entry, "encv") ? QByteArray() : standardBox("sinf", "")));
    const QByteArray stbl = standardBox(
        "stbl",
        standardBox("stsd", be32(0) + be32(1) + sampleEntry) +
            standardBox("stts", be32(0) + be32(1) + be32(std::uint32_t(samples.size())) + be32(1)) +
            // two chunks: the first holds one sample, the second the rest
            standardBox("stsc", be32(0) + be32(2) + be32(1) + be32(1) + be32(1) + be32(2) +
                                    be32(std::uint32_t(samples.size() - 1)) + be32(1)) +
            standardBox("stsz", be32(0) + sizes) +
            standardBox("stco", be32(0) + be32(2) + be32(mdatStart) +
                                    be32(mdatStart + std::uint32_t(samples[0].size()))));
    const QByteArray mdia = standardBox(
        "mdia", standardBox("mdhd", be32(0) + be32(0) + be32(0) + be32(10) + be32(0)) +
                    standardBox("hdlr", be32(0) + be32(0) + "vide" + QByteArray(12, '\0')) +
                    standardBox("minf", stbl));
    return ftyp + standardBox("mdat", mdat) + standardBox("moov", standardBox("trak", mdia));
}

QByteArray withLength(const QByteArray& nal)
{
    return be32(std::uint32_t(nal.size())) + nal;
}

} // namespace

TEST(TeslaTelemetry, MessagesFromSeiUnitsAndWhatIsNotOne)
{
    const auto frame =
        RVTeslaTelemetry::readNalUnit(view(seiUnit(message(37.0, -122.0, 10.0f, -12.5f, 2))));
    ASSERT_TRUE(frame);
    // The latitude's bytes hold three zeros: escaped and unescaped.
    EXPECT_EQ(std::tuple(frame->gear, frame->frameNumber, frame->speedMetresPerSecond,
                         frame->acceleratorPedal, frame->steeringAngleDegrees, frame->brakeApplied,
                         frame->blinkerLeft, frame->autopilotState, frame->latitude,
                         frame->longitude, frame->headingDegrees, frame->accelerationX),
              std::tuple(1u, 77u, 10.0, 0.25, -12.5, true, false, 2u, 37.0, -122.0, 270.5, 0.5));
    // A long message has a size of several bytes; a length-delimited field is skipped.
    const QByteArray padded = message(1, 2, 3, 4, 0) + varint((20 << 3) | 2) + varint(300) +
                              QByteArray(300, 'x') + pd(11, 45.0);
    EXPECT_EQ(RVTeslaTelemetry::readNalUnit(view(seiUnit(padded)))->latitude, 45.0);
    // Not the car's unit, or a message that does not decode.
    const QByteArray good = seiUnit(message(1, 2, 3, 4, 0));
    for (const QByteArray& bad :
         {QByteArray("\x65\x05", 2) + good.mid(2), QByteArray("\x06\x04", 2) + good.mid(2),
          QByteArray(good).replace(10, 1, "C"), seiUnit(message(1, 2, 3, 4, 0) + "\x0f"),
          seiUnit(varint((11 << 3) | 1) + "abc"), seiUnit(QByteArray(11, char(0xFF))), good.left(3),
          QByteArray()})
        EXPECT_FALSE(RVTeslaTelemetry::readNalUnit(view(bad))) << bad.toHex().toStdString();
}

TEST(TeslaReader, TrackFromTheVideoEventFromItsFolderEncryptedDeclined)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/TeslaCam/SavedClips/2024-05-01_12-10-05/";
    const QString video = folder + "2024-05-01_12-09-00-front.mp4";
    const QByteArray slice = withLength(QByteArray("\x65\x88\x84\x00", 4));
    writeFile(video, mp4({withLength(seiUnit(message(37.5, -122.25, 10.0f, -12.5f, 2))) + slice,
                          withLength(seiUnit(message(0, 0, 0, 0, 0))) + slice, slice,
                          withLength(seiUnit(message(37.5001, -122.2501, 20.0f, 3, 0))) + slice}));
    writeFile(folder + "event.json",
              R"({"timestamp":"2024-05-01T12:09:30","city":"Palo Alto","est_lat":"37.4",)"
              R"("est_lon":-122.1,"reason":"user_interaction_dashcam_icon_tapped","camera":"0"})");
    QString format;
    auto data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video, &format);
    ASSERT_TRUE(data);
    EXPECT_EQ(format, "Tesla");
    // Frames without a position are left out; times are the name's (Berlin, UTC+2) plus the
    // sample's; speed km/h, heading as the course.
    EXPECT_EQ(text(data), "37.500000 -122.250000 2024-05-01 10:09:00.000 36 nan 270.5\n"
                          "37.500100 -122.250100 2024-05-01 10:09:00.300 72 nan 270.5\n"
                          "36 72 ");
    std::map<QString, std::vector<double>> series(data->extraSeries.begin(),
                                                  data->extraSeries.end());
    EXPECT_EQ(series["steering angle"], (std::vector<double>{-12.5, 3}));
    EXPECT_EQ(series["driver assistance"], (std::vector<double>{2, 0}));
    EXPECT_EQ(series["brake"], (std::vector<double>{1, 1}));
    ASSERT_EQ(data->events.size(), 1u);
    const RVCameraEvent& event = data->events[0];
    EXPECT_EQ(event.time, utc("2024-05-01T10:09:30Z"));
    EXPECT_EQ(
        std::tuple(event.kind, event.reason, event.city, event.latitude, event.longitude),
        std::tuple("saved", "user_interaction_dashcam_icon_tapped", "Palo Alto", 37.4, -122.1));
    EXPECT_EQ(data->relatedFiles, QStringList{folder + "event.json"});

    // The minute before holds no event but shares the folder's files.
    const QString before = folder + "2024-05-01_12-08-00-front.mp4";
    writeFile(before, mp4({slice}));
    data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(before);
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->events.empty() && data->points.empty());
    EXPECT_EQ(data->relatedFiles, QStringList{folder + "event.json"});

    // Encrypted samples: declined as such, not as damage.
    const QString locked = folder + "2024-05-01_12-09-00-back.mp4";
    writeFile(locked, mp4({slice}, "encv"));
    std::vector<std::pair<QString, RVDecline>> declines;
    EXPECT_FALSE(
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(locked, nullptr, &declines));
    ASSERT_FALSE(declines.empty());
    EXPECT_EQ(declines.back().first, "Tesla");
    EXPECT_EQ(declines.back().second.kind, RVDecline::Kind::Encrypted);
}
