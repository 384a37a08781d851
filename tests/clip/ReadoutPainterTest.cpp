#include "clip/RVReadoutPainter.h"

#include <QTimeZone>

#include <gtest/gtest.h>

TEST(ReadoutPainter, TextsOfAMoment)
{
    RVClipSeries series;
    series.cameraStart =
        QDateTime(QDate(2026, 5, 16), QTime(23, 59, 58), QTimeZone(-(3 * 3600 + 1800)));
    RVClipSample fix;
    fix.tripSeconds = 1.0;
    fix.point = RVPoint("-33.856784", "151.215297", 10, 292, 50, {});
    fix.speedKmh = 100;
    fix.accelerationG = 0.256;
    series.samples = {RVClipSample{}, fix};
    series.samples[0].speedKmh = -1;
    const unsigned all = RVReadout::Time | RVReadout::Speed | RVReadout::Position |
                         RVReadout::Heading | RVReadout::Acceleration;
    RVReadoutPainter painter(series, all, 1280, 720, 0, 5);

    // Before the first fix: speed unknown, no position.
    EXPECT_EQ(painter.texts(0.5),
              (QStringList{"2026-05-16 23:59:58 UTC-03:30", "-- km/h", "no GPS fix"}));
    // The clock rolls over midnight on the camera's own time.
    EXPECT_EQ(painter.texts(2.9),
              (QStringList{"2026-05-17 00:00:00 UTC-03:30", "100 km/h   292° W   0.26 g",
                           "33.85678° S  151.21530° E"}));

    series.speedUnit = RVSpeedUnit::MilesPerHour;
    EXPECT_EQ(painter.texts(1.0).at(1), "62 mph   292° W   0.26 g");

    // The strip is repainted only when what it shows changes.
    bool changed = false;
    painter.paint(1.0, &changed);
    EXPECT_TRUE(changed);
    painter.paint(1.4, &changed);
    EXPECT_FALSE(changed);
    EXPECT_EQ(painter.size(), QSize(1280, 144));
}
