#include "metadata/RVBlackVueMetaDataReader.h"

#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using TestFiles::text;
using TestFiles::writeFile;

namespace {

const std::string kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A";
const std::string kPrefix = "[1499552090960]";

std::string samples(const std::string& bytes)
{
    std::string out;
    for (const RVSensorData& s : RVBlackVueMetaDataReader::readGSensorFromText(bytes))
        out += text(s) + ";";
    return out;
}

} // namespace

TEST(BlackVueReader, TrackLinesAndSensorRecords)
{
    const std::string gga =
        "$GPGGA,191450.00,5357.14375,N,02740.86226,E,1,11,0.81,222.3,M,24.8,M,,*5B";
    // Raw receiver bytes or a second prefix before the sentence: the last "$" starts it.
    // A 16-character line hands one character on, which is no sentence.
    const std::string binary = "\x1d\x15\xff\xaa garbage";
    std::string track;
    for (const std::string& line : {kRmc, std::string(), gga + "\r", kRmc, std::string("$"), binary,
                                    binary + kPrefix + kRmc, "xx$GPGSA,A,3$GPXX" + kRmc})
        track += kPrefix + line + "\n";
    const std::string p = "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 ";
    const std::string v = "18.5199999809 ";
    EXPECT_EQ(text(RVBlackVueMetaDataReader::readMetaDataFromText(track + kRmc.substr(0, 15))),
              p + "nan 45.5\n" + p + "222.3 45.5\n" + p + "222.3 45.5\n" + p + "222.3 45.5\n" + v +
                  v + v + v);
    EXPECT_TRUE(RVBlackVueMetaDataReader::readMetaDataFromText(kPrefix + "$").points.empty());

    // Ten bytes a record: big-endian 32-bit milliseconds, then z, x, y in 1/100 g (z less 1 g).
    EXPECT_EQ(samples(std::string("\x00\x00\x00\x2a\x00\x62\x00\x05\xff\xf6", 10)),
              "0.05 -0.1 -0.02 0.113578166916 42;");
    EXPECT_EQ(samples(std::string("\x80\x00\x00\x00\x80\x00\x7f\xff\x00\x00", 10)),
              "327.67 0 -328.68 464.110085325 -2147483648;");
    EXPECT_EQ(samples(std::string(9, '\1')), "");
    EXPECT_EQ(samples(std::string(25, '\1')).size(), 2 * samples(std::string(10, '\1')).size());
}

TEST(BlackVueReader, SideFilesOfARecordingAndItsChannels)
{
    QTemporaryDir dir;
    const QString record = dir.path() + "/BlackVue/Record/20170708_221449_";
    const auto read = [&](const char* video) {
        return RVBlackVueMetaDataReader().readMetaDataFromVideoFile(record + video + ".mp4");
    };
    const auto files = [&](const char* video) {
        const auto data = read(video);
        return data ? QString("%1 %2 ").arg(data->points.size()).arg(data->gSensorData.size()) +
                          data->relatedFiles.join(' ').remove(record)
                    : QStringLiteral("none");
    };
    EXPECT_EQ(files("NF"), "none");
    writeFile(record + "N.gps", QByteArray()); // an empty track file is no track file
    EXPECT_EQ(files("NF"), "none");
    writeFile(record + "N.gps", QByteArray::fromStdString(kPrefix + kRmc + "\n"));
    EXPECT_EQ(files("NF"), "1 0 N.gps");
    writeFile(record + "N.3gf", QByteArray()); // listed, without samples
    EXPECT_EQ(files("NF"), "1 0 N.gps N.3gf");
    writeFile(record + "N.3gf", QByteArray(25, '\2'));
    // Every channel of the mode shares them; side files named after the whole video come first.
    for (const char* video : {"NF", "NR", "NFL"})
        EXPECT_EQ(files(video), "1 2 N.gps N.3gf") << video;
    writeFile(record + "NR.gps", QByteArray::fromStdString(kPrefix + kRmc + "\n"));
    EXPECT_EQ(files("NR"), "1 0 NR.gps");
    // Another mode's side files are another recording's; a pipe is not waited on; a name no
    // camera writes has none.
    EXPECT_EQ(files("EF"), "none");
    ASSERT_EQ(::mkfifo(QFile::encodeName(record + "E.gps").constData(), 0644), 0);
    EXPECT_EQ(files("EF"), "none");
    EXPECT_EQ(files("F"), "none");
}

TEST(BlackVueReader, CameraModelTexts)
{
    const auto model = &RVBlackVueMetaDataReader::readCameraModel;
    EXPECT_EQ(model(std::string_view("Pittasoft;DR750S-2CH;1.008;English;\0\0", 38)), "DR750S-2CH");
    EXPECT_EQ(model(R"( {"company":"Pittasoft","model":"DR970X-2CH","fw_ver":"1.002"})"),
              "DR970X-2CH");
    EXPECT_EQ(model("no fields"), "");
    EXPECT_EQ(model(" {broken json"), "");
    EXPECT_EQ(model("a;\x01model\x7f\n;b"), "model");
}
