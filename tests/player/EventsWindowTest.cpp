// The window's events and trip figures on the demo card that tools/make-demo-card writes: the
// Distance column of the list and the day's summary, the events panel, the slider's marks and
// the event keys.

#include "MapPageScript.h"
#include "WindowTestSupport.h"

#include "player/map/RVMapView.h"
#include "player/window/RVEventsPanel.h"
#include "timeline/RVTimeSlider2.h"

#include <QAction>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using ClipFactory::waitFor;
using EventsWindow = windowtest::Window;

TEST_F(EventsWindow, DistanceColumnPanelSliderMarksAndEventKeys)
{
    const QString card = dir.filePath(QStringLiteral("card"));
    ASSERT_TRUE(support::runProgram(KORVELA_SOURCE_DIR "/tools/make-demo-card", {card}));
    // A recording without GPS: a clip made with ffmpeg.
    ASSERT_TRUE(QDir(dir.path()).mkdir("plain"));
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), dir.filePath("plain/clip0.mp4")));

    open(true);
    controller.addFiles({card, dir.filePath(QStringLiteral("plain"))});
    // Seven trips on the card and the plain clip, shown once the scan has read them all and
    // joined their figures (the list shows the files' tree before that).
    ASSERT_TRUE(waitFor(
        [&] {
            controller.videoList()->waitForIdle();
            bool read = model->rowCount() == 8;
            for (int r = 0; read && r < model->rowCount(); ++r)
                read = row(r)->stats() != nullptr;
            return read;
        },
        60000));
    const auto cell = [&](int r, int role) {
        return model->index(r, RVVideoOutlineViewModel::ColumnDistance).data(role).toString();
    };

    // A moving trip of four recordings shows its distance; the tooltip has the rest. In miles
    // the same distance reads 1.609344 times smaller.
    const int trip = rowOf(QStringLiteral("FILE0001.MOV"));
    ASSERT_GE(trip, 0);
    const QString km = cell(trip, Qt::DisplayRole);
    ASSERT_TRUE(km.endsWith(QLatin1String(" km"))) << km.toStdString();
    const double kilometres = km.chopped(3).toDouble();
    EXPECT_GT(kilometres, 0.05);
    const QString tip = cell(trip, Qt::ToolTipRole);
    for (const char* entry :
         {"TOOLTIP_TRIP_DRIVING", "TOOLTIP_TRIP_STOPPED", "TOOLTIP_TRIP_TOP_SPEED",
          "TOOLTIP_TRIP_AVERAGE_SPEED", "TOOLTIP_TRIP_START", "TOOLTIP_TRIP_END", "2026-05-14"})
        EXPECT_TRUE(tip.contains(QLatin1String(entry))) << entry << "\n" << tip.toStdString();
    // The date's tooltip sums up the day: four trips on the 14th, at least this one's distance.
    const QString day =
        model->index(trip, RVVideoOutlineViewModel::ColumnDate).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(day.contains(QLatin1String("TOOLTIP_DAY_TRIPS 4<br>"))) << day.toStdString();
    const QRegularExpression dayKm(QStringLiteral("TOOLTIP_DAY_DISTANCE ([0-9.]+) km"));
    const QRegularExpressionMatch dayDistance = dayKm.match(day);
    ASSERT_TRUE(dayDistance.hasMatch()) << day.toStdString();
    EXPECT_GT(dayDistance.captured(1).toDouble(), kilometres);
    EXPECT_TRUE(day.contains(QLatin1String("TOOLTIP_DAY_DRIVING"))) << day.toStdString();
    controller.setMeasurementSystem(QStringLiteral("British"));
    const QString miles = cell(trip, Qt::DisplayRole);
    ASSERT_TRUE(miles.endsWith(QLatin1String(" mi"))) << miles.toStdString();
    EXPECT_NEAR(miles.chopped(3).toDouble(), kilometres / 1.609344, 0.06);
    EXPECT_TRUE(cell(trip, Qt::ToolTipRole).contains(QLatin1String(" mph")));
    controller.setMeasurementSystem(QStringLiteral("Metric"));
    // The clip without GPS has nothing to measure.
    const int still = rowOf(QStringLiteral("clip0.mp4"));
    ASSERT_GE(still, 0);
    EXPECT_EQ(cell(still, Qt::DisplayRole), QString());
    EXPECT_EQ(cell(still, Qt::ToolTipRole), QString());

    // The View menu's item shows the panel, and the choice is kept.
    RVEventsPanel* panel = controller.eventsPanel();
    QTreeWidget* list = panel->list();
    EXPECT_FALSE(list->isVisibleTo(window));
    panel->toggleAction()->trigger();
    EXPECT_TRUE(list->isVisibleTo(window));
    EXPECT_TRUE(RVSettings::boolValue(RVSettings::kShowEventsPanel));

    // The event recording: the camera's mark at its start, then the staged hard braking
    // (2-4 s) and impact (5-5.1 s), also marked on the slider.
    const int event = rowOf(QStringLiteral("20260516_184500_E.mp4"));
    ASSERT_GE(event, 0);
    controller.selectRow(event);
    controller.rowClicked();
    ASSERT_TRUE(waitFor([&] { return list->topLevelItemCount() == 3; }, 30000));
    const std::vector<RVEvent>& events = panel->events();
    EXPECT_EQ(list->topLevelItem(0)->text(1), "EVENT_KIND_CAMERA_EVENT");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "EVENT_KIND_HARD_BRAKING");
    EXPECT_EQ(list->topLevelItem(2)->text(1), "EVENT_KIND_IMPACT");
    EXPECT_TRUE(list->topLevelItem(2)->text(2).endsWith(QLatin1String(" g")));
    EXPECT_EQ(list->topLevelItem(1)->text(3), "20260516_184500_E.mp4");
    EXPECT_TRUE(events[1].seconds >= 2.0 && events[1].seconds < 4.0) << events[1].seconds;
    EXPECT_TRUE(events[2].seconds >= 5.0 && events[2].seconds < 5.1) << events[2].seconds;
    EXPECT_EQ(controller.timeLine()->eventMarks(),
              (std::vector<double>{events[0].seconds, events[1].seconds, events[2].seconds}));

    // The map marks them where they happened.
    auto* map = window->findChild<RVMapView*>();
    ASSERT_TRUE(map);
    EXPECT_TRUE(waitFor(
        [&] {
            return MapPageScript::evaluate(*map, "korvelaMapState().events.length").toInt() == 3;
        },
        30000));

    // A click on the impact plays from five seconds before it.
    {
        QSignalSpy sought(player, &RVMpvPlayer::seekFinished);
        const QRect impact = list->visualItemRect(list->topLevelItem(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, impact.center());
        ASSERT_TRUE(waitFor([&] { return !sought.isEmpty() && player->rate() == 1.0; }));
        EXPECT_LT(playback->tripTime(), 1.5);
    }
    controller.playPauseToggle();
    ASSERT_TRUE(waitFor([&] { return player->rate() == 0.0; }));

    // E and Shift+E from the start: to each event in turn, none past the ends.
    controller.graphClicked(0.0);
    list->clearSelection();
    const auto selected = [&] {
        const QList<QTreeWidgetItem*> rows = list->selectedItems();
        return rows.isEmpty() ? -1 : list->indexOfTopLevelItem(rows.front());
    };
    const std::pair<Qt::KeyboardModifiers, int> presses[] = {
        {Qt::NoModifier, 1},    {Qt::NoModifier, 2},    {Qt::NoModifier, 2},
        {Qt::ShiftModifier, 1}, {Qt::ShiftModifier, 0}, {Qt::ShiftModifier, 0}};
    for (const auto& [modifiers, row] : presses) {
        QTest::keyClick(central, Qt::Key_E, modifiers);
        EXPECT_EQ(selected(), row);
        ASSERT_TRUE(waitFor([&] {
            return std::abs(playback->tripTime() - RVEventsPanel::startOf(events[row])) < 0.1;
        })) << row
            << " at " << playback->tripTime();
        EXPECT_EQ(player->rate(), 0.0);
    }
}
