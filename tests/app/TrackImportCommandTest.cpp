// The File menu's track import on a library: the reader's reason reaches the user as an alert,
// an imported track is remembered for the card and its recordings, and removal forgets it.
#include "../player/WindowTestSupport.h" // ScriptedDialogs

#include "library/RVTrackImports.h"
#include "library/RVVolumeMonitor.h"
#include "player/window/RVTrackImportCommand.h"

#include <QAction>

TEST(TrackImportCommand, ReasonsAlertImportsAreRememberedAndRemoved)
{
    QTemporaryDir dir;
    RVTrackImports::setStorageFolder(dir.filePath("data"));
    const RVVideoDataPtr node = RVVideoList::wrapFilesWithVideoData({std::make_shared<RVVideoFile>(
        dir.filePath("card/clip.mp4"), 60.f,
        RVTimestamp::fromDateTime(QDateTime::fromString("2024-05-01T08:00:00Z", Qt::ISODate)),
        false)})[0];
    RVVideoList list(std::make_unique<RVStaticVolumeMonitor>(),
                     [](const QString&) { return RVMetaDataReading(); });
    list.waitForIdle();
    auto dialogs = std::make_shared<ScriptedDialogs>();
    QString status, chosen;
    RVTrackImportCommand command(
        list, dialogs, [node] { return node; }, [&status](const QString& text) { status = text; },
        nullptr,
        [&](const RVVideoDataPtr&) {
            return std::optional(RVTrackImportChoice{chosen, false, false});
        });
    const auto run = [&](QAction* action) {
        status = QStringLiteral("-");
        action->trigger();
        list.waitForIdle();
        support::waitFor(
            [&] { return status != "-" && !status.contains("IMPORTING", Qt::CaseInsensitive); });
    };

    chosen = dir.filePath("line.kml");
    support::writeFile(chosen, "<kml><Placemark><LineString><coordinates>13.4,52.5 13.5,52.6"
                               "</coordinates></LineString></Placemark></kml>");
    run(command.importAction());
    ASSERT_EQ(dialogs->alerts.size(), 1);
    EXPECT_TRUE(dialogs->alerts[0].contains("KML")) << qPrintable(dialogs->alerts[0]);
    EXPECT_TRUE(RVTrackImports::importsOf(dir.filePath("card")).empty());

    chosen = dir.filePath("phone.gpx");
    support::writeFile(chosen, "<gpx><trk><trkseg>"
                               "<trkpt lat=\"52.5\" lon=\"13.4\"><time>2024-05-01T08:00:10Z</time>"
                               "</trkpt></trkseg></trk></gpx>");
    run(command.importAction());
    EXPECT_EQ(dialogs->alerts.size(), 1);
    EXPECT_TRUE(status.contains(" 1")) << qPrintable(status); // recordings within its time
    const std::vector<RVTrackImportPtr> imports = RVTrackImports::importsOf(dir.filePath("card"));
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0]->source, "phone.gpx");
    EXPECT_EQ(imports[0]->recordings, QStringList{"clip.mp4"});

    run(command.removeAction());
    EXPECT_TRUE(RVTrackImports::importsOf(dir.filePath("card")).empty());
    EXPECT_EQ(dialogs->alerts.size(), 1);
}
