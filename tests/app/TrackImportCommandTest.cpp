// The File menu's track import on a library: the reader's reason reaches the user as an alert,
// an imported track is remembered for the card and its recordings, and removal forgets it.
#include "library/RVTrackImports.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "player/window/RVTrackImportCommand.h"
#include "player/window/RVWindowDialogs.h"
#include "support/Support.h"

#include <QAction>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Alerts final : public RVWindowDialogs
{
public:
    void alert(const QString& message, const QString& informativeText) override
    {
        shown << message + QStringLiteral(" | ") + informativeText;
    }
    bool question(const QString&, const QString&) override { return false; }
    QStringList chooseFilesAndFolders() override { return {}; }
    std::optional<QString> chooseSavePath(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QStringList shown;
};

} // namespace

TEST(TrackImportCommand, ReasonsAlertImportsAreRememberedAndRemoved)
{
    QTemporaryDir dir;
    RVTrackImports::setStorageFolder(dir.filePath("data"));
    const QString recording = dir.filePath("card/clip.mp4");
    const RVVideoDataPtr node = RVVideoList::wrapFilesWithVideoData({std::make_shared<RVVideoFile>(
        recording, 60.f,
        RVTimestamp::fromDateTime(QDateTime::fromString("2024-05-01T08:00:00Z", Qt::ISODate)),
        false)})[0];
    RVVideoList list(std::make_unique<RVStaticVolumeMonitor>(),
                     [](const QString&) { return RVMetaDataReading(); });
    list.waitForIdle();
    auto alerts = std::make_shared<Alerts>();
    QString status;
    QString chosen;
    bool wholeCard = false;
    RVTrackImportCommand command(
        list, alerts, [node] { return node; }, [&status](const QString& text) { status = text; },
        nullptr,
        [&](const RVVideoDataPtr&) {
            return std::optional(RVTrackImportChoice{chosen, wholeCard, false});
        });
    const auto run = [&](QAction* action) {
        status = QStringLiteral("-");
        action->trigger();
        list.waitForIdle();
        support::waitFor([&] {
            QCoreApplication::processEvents();
            return status != QStringLiteral("-") &&
                   !status.contains(QLatin1String("IMPORTING"), Qt::CaseInsensitive);
        });
    };

    chosen = dir.filePath("line.kml");
    support::writeFile(chosen, "<kml><Placemark><LineString><coordinates>13.4,52.5 13.5,52.6"
                               "</coordinates></LineString></Placemark></kml>");
    run(command.importAction());
    ASSERT_EQ(alerts->shown.size(), 1);
    EXPECT_TRUE(alerts->shown[0].contains("KML")) << qPrintable(alerts->shown[0]);
    EXPECT_TRUE(RVTrackImports::importsOf(dir.filePath("card")).empty());

    chosen = dir.filePath("phone.gpx");
    support::writeFile(chosen, "<gpx><trk><trkseg>"
                               "<trkpt lat=\"52.5\" lon=\"13.4\"><time>2024-05-01T08:00:10Z</time>"
                               "</trkpt></trkseg></trk></gpx>");
    run(command.importAction());
    EXPECT_EQ(alerts->shown.size(), 1);
    EXPECT_TRUE(status.contains(" 1")) << qPrintable(status); // recordings within its time
    const std::vector<RVTrackImportPtr> imports = RVTrackImports::importsOf(dir.filePath("card"));
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0]->source, "phone.gpx");
    EXPECT_EQ(imports[0]->recordings, QStringList{"clip.mp4"});

    run(command.removeAction());
    EXPECT_TRUE(RVTrackImports::importsOf(dir.filePath("card")).empty());
    EXPECT_EQ(alerts->shown.size(), 1);
}
