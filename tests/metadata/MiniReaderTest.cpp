#include "metadata/RVMiniMetaDataReader.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestFiles::text;

namespace {

RVMetaData parse(const QByteArray& lines)
{
    return RVMiniMetaDataReader::readMetaDataFromFile("/CARD/gps/gps0001.log",
                                                      TestFiles::view(lines));
}

} // namespace

// "status,ddMMyy,HHmmss.sss,lat,N,lon,E,knots,x,y,z" in local time (Berlin, UTC+1), the sensor
// in 1/10 g, y less 1 g. No speed threshold, no altitude; the course follows the positions.
// Lines without a position are samples labelled as the previous fix, "0" before any; a point
// without time has unlabelled samples. Too few fields: nothing; date and time may run together.
TEST(MiniReader, LinesGivePointsSpeedsAndSamples)
{
    const RVMetaData data = parse("A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n"
                                  "V,050215,134502.000,,,,,0.0,0,-10,0\n"
                                  "A,050215,134503.5,5545.1234,S,03736.5678,W,1.0,0,0,0\r\n");
    EXPECT_EQ(text(data), "55.752060 37.609463 2015-02-05 12:45:01.000 -1 0 0\n"
                          "-55.752060 -37.609463 2015-02-05 12:45:03.500 -1 0 214.002983237\n"
                          "0.1 0 0.3 0.316227766017 05-02-15 13:45:01.000\n"
                          "0 0 0 0 05-02-15 13:45:01.000\n"
                          "0 1 0 1 05-02-15 13:45:03.500\n"
                          "18.5199999809 1.85199999809 ");
    EXPECT_EQ(data.relatedFiles, QStringList{"/CARD/gps/gps0001.log"});
    EXPECT_EQ(text(parse("V,050180,235950.003,+,,+,,0.00,-00.61,-07.96,-78.40;\r\n"
                         "V,050215,134502.000,,,,,0.0,0,-10,0\n"
                         "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10\n"
                         "a,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n"
                         "X,050215\n\x1a\n"
                         "A,320215,134501.000,+5545.1234,N,+03736.5678,E,10.0,1,-10,3\n"
                         "A,05021,5134501,5545.1234,N,03736.5678,E,1,0,0,0\n")),
              "55.752060 37.609463 - -1 0 0\n"
              "55.752060 37.609463 2015-02-05 12:45:01.000 -1 0 90\n"
              "-0.061 0.204 -7.84 7.84289085733 0\n"
              "0 0 0 0 0\n"
              "0.1 0 0.3 0.316227766017 -\n"
              "0 1 0 1 05-02-15 13:45:01.000\n"
              "18.5199999809 1.85199999809 ");
    const RVMetaData empty = parse("nothing here\n");
    EXPECT_EQ(text(empty), "");
    EXPECT_EQ(empty.relatedFiles.size(), 1);

    // North-east, south, west; no movement gives 90.
    const std::pair<QByteArray, double> courses[] = {{"5500.0600,N,03700.0600", 45},
                                                     {"5459.0000,N,03700.0000", 180},
                                                     {"5500.0000,N,03659.0000", -90},
                                                     {"5500.0000,N,03700.0000", 90}};
    for (const auto& [to, course] : courses)
        EXPECT_NEAR(parse("A,050215,134501.000,5500.0000,N,03700.0000,E,1,0,0,0\n"
                          "A,050215,134502.000," +
                          to + ",E,1,0,0,0\n")
                        .points.at(1)
                        .azimut(),
                    course, 1e-9)
            << to.constData();
}

TEST(MiniReader, RecognitionAndLogPlaces)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/CARD";
    const QByteArray line = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";
    const auto read = [&](const char* video) {
        const auto data = RVMiniMetaDataReader().readMetaDataFromVideoFile(card + video);
        return data ? QString::number(data->points.size()) + ' ' +
                          data->relatedFiles.join(' ').remove(card)
                    : QStringLiteral("none");
    };
    EXPECT_EQ(read("/DCIM/100MEDIA/AMBA0001.MP4"), "none");
    TestFiles::writeFile(card + "/DCIM/100MEDIA/AMBA0001.txt", line + line);
    EXPECT_EQ(read("/DCIM/100MEDIA/AMBA0001.MP4"), "2 /DCIM/100MEDIA/AMBA0001.txt");
    TestFiles::writeFile(card + "/gps/gps0001.log", line); // the gps folder's log wins
    EXPECT_EQ(read("/DCIM/100MEDIA/AMBA0001.MP4"), "1 /gps/gps0001.log");
    // Lower-case names are not Mini recordings; an empty log is no log.
    TestFiles::writeFile(card + "/DCIM/100MEDIA/amba0001.txt", line);
    EXPECT_EQ(read("/DCIM/100MEDIA/amba0001.mp4"), "none");
    TestFiles::writeFile(card + "/gps/gps0002.log", QByteArray());
    EXPECT_EQ(read("/DCIM/100MEDIA/AMBA0002.MP4"), "none");
}
