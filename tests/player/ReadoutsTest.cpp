// Speed and altitude under the map never run together and are never cut, whatever the width of
// the map column and the length of the words.

#include "player/window/RVReadouts.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

TEST(Readouts, SpeedAndAltitudeShareALineOnlyWhenBothFit)
{
    // Inside a window, as in the program: a top-level widget's new height would wait for the X
    // server, and the checks below would read the old one on a busy machine.
    QWidget window;
    window.resize(800, 300);
    RVReadouts readouts(&window);
    readouts.speed()->setText(QStringLiteral("70 mph"));
    readouts.altitude()->setText(QStringLiteral("Высота: 429 ft"));
    readouts.clock()->setText(QStringLiteral("2026-05-14 09:15:00  -2\u00d7"));
    window.show();
    const int both = readouts.speed()->sizeHint().width() + readouts.altitude()->sizeHint().width();
    for (const int width : {both + 60, both + 20, both + 10, both, 150, 90}) {
        readouts.resize(width, readouts.heightForWidth(width));
        QApplication::processEvents();
        const QRect speed = readouts.speed()->geometry(),
                    altitude = readouts.altitude()->geometry();
        SCOPED_TRACE(width);
        EXPECT_FALSE(speed.intersects(altitude));
        if (speed.top() == altitude.top()) { // one line: a gap between the texts
            EXPECT_GE(altitude.left() - speed.left() - readouts.speed()->sizeHint().width(), 12);
        }
        EXPECT_EQ(readouts.stacked(), speed.top() != altitude.top());
        EXPECT_EQ(readouts.stacked(), width < both + 24);
        for (const QLabel* label : {readouts.speed(), readouts.altitude(), readouts.clock()}) {
            EXPECT_GE(label->width(), std::min(label->sizeHint().width(), width - 12));
            EXPECT_LE(label->geometry().bottom(), readouts.height());
        }
    }
    // A longer text at the same width moves altitude to its own line at once.
    readouts.resize(both + 30, readouts.heightForWidth(both + 30));
    QApplication::processEvents();
    EXPECT_FALSE(readouts.stacked());
    readouts.speed()->setText(QStringLiteral("170 km/h (max)"));
    QApplication::processEvents();
    EXPECT_TRUE(readouts.stacked());
    EXPECT_FALSE(readouts.speed()->geometry().intersects(readouts.altitude()->geometry()));
}
