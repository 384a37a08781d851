// What the window tells about a recording's camera data: why a recording has no track, a date
// only the file system gives, the probe a driver can send for a camera not read, and the
// correction offered for a camera clock that is whole hours off. Real clips made by ffmpeg,
// one with an encrypted freeGPS block (real Redtiger F7N bytes), one with an NMEA log beside
// it, read by the program's own readers.
#include "WindowTestSupport.h"

#include "metadata/RVCameraClock.h"
#include "player/window/RVClockProposalBar.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

using WindowCameraData = windowtest::Window;

// An NMEA sentence with its checksum.
static QByteArray sentence(const QByteArray& body)
{
    char sum = 0;
    for (const char c : body)
        sum ^= c;
    return "$" + body + "*" + QByteArray::number(quint8(sum), 16).toUpper().rightJustified(2, '0') +
           "\r\n";
}

// A card whose DCIM folder holds `count` of the trip's clips from `first` on, as clip0.mp4 ...
static bool writeCard(const QString& card, int first, int count)
{
    bool written = QDir().mkpath(card + "/DCIM");
    for (int i = 0; i < count && written; ++i)
        written = QFile::copy(ClipFactory::tripClip(first + i),
                              card + QStringLiteral("/DCIM/clip%1.mp4").arg(i));
    return written;
}

TEST_F(WindowCameraData, UnreadRecordingsSayWhyAndAClockHoursOffIsOffered)
{
    RVCameraClock::clearRules();
    // No camera's name or data: dated by the file alone.
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), dir.filePath("plain.mp4")));
    // A Novatek name, its freeGPS block encrypted.
    QByteArray encrypted = support::readFile(ClipFactory::tripClip(1));
    ASSERT_FALSE(encrypted.isEmpty());
    support::appendEncryptedFreeGps(encrypted);
    ASSERT_TRUE(support::writeFile(dir.filePath("2021_1228_190106_001F.MP4"), encrypted));
    // Named 12:00 on a camera clock read as Berlin summer time (10:00Z), its receiver's fixes
    // at 13:00:05Z: the camera's clock is three hours behind.
    const QString late = dir.filePath("2024_0522_120000_001F.MP4");
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(2), late));
    QByteArray log;
    for (int s = 5; s < 8; ++s)
        log += sentence("GPRMC,1300" + QByteArray::number(s).rightJustified(2, '0') +
                        ".00,A,5230.0000,N,01320.0000,E,10.0,90.0,220524,,,A");
    ASSERT_TRUE(support::writeFile(dir.filePath("2024_0522_120000_001F.nmea"), log));
    // Named 16:00 (14:00Z), its fixes at 16:00:05 "Z": the camera's own clock written as UTC.
    const QString cold = dir.filePath("2024_0522_160000_001F.MP4");
    ASSERT_TRUE(QFile::copy(ClipFactory::tripClip(0), cold));
    ASSERT_TRUE(support::writeFile(
        dir.filePath("2024_0522_160000_001F.nmea"),
        sentence("GPRMC,160005.00,A,5230.0000,N,01320.0000,E,10.0,90.0,220524,,,A")));

    open(true);
    controller.addFiles({dir.path()});
    // Every recording read, each in its own row.
    ASSERT_TRUE(ClipFactory::waitFor(
        [&] {
            controller.videoList()->waitForIdle();
            for (const char* name : {"plain.mp4", "2021_1228_190106_001F.MP4",
                                     "2024_0522_120000_001F.MP4", "2024_0522_160000_001F.MP4"}) {
                if (rowOf(name) < 0 || !row(rowOf(name))->points())
                    return false;
            }
            return true;
        },
        20000));

    // Why there is no track, and which date is the file system's.
    auto cell = [&](const char* name, int column, int role) {
        return model->data(model->index(rowOf(name), column), role).toString();
    };
    using M = RVVideoOutlineViewModel;
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"plain.mp4", "TOOLTIP_NO_TRACK TOOLTIP_NO_TRACK_NOT_READ", true},
        {"2021_1228_190106_001F.MP4", "TOOLTIP_NO_TRACK TOOLTIP_NO_TRACK_ENCRYPTED (Novatek",
         false},
        {"2024_0522_120000_001F.MP4", nullptr, false},
    };
    for (const auto& [name, why, byFile] : rows) {
        const QString tip = cell(name, M::ColumnName, Qt::ToolTipRole);
        if (why)
            EXPECT_TRUE(tip.contains(QLatin1String(why))) << name << ": " << tip.toStdString();
        else
            EXPECT_FALSE(tip.contains("TOOLTIP_NO_TRACK")) << name << ": " << tip.toStdString();
        EXPECT_EQ(cell(name, M::ColumnDate, Qt::DisplayRole).startsWith(u'\u2248'), byFile) << name;
        EXPECT_EQ(cell(name, M::ColumnDate, Qt::ToolTipRole) == "TOOLTIP_DATED_BY_FILE", byFile)
            << name;
    }

    // The probe of the selected recording, saved where the user says; nothing private in it.
    controller.reportUnreadCamera();
    EXPECT_EQ(dialogs->alerts.size(), 1); // nothing selected: told to select one
    controller.selectRow(rowOf("2021_1228_190106_001F.MP4"));
    dialogs->savePath = dir.filePath("report.json");
    controller.reportUnreadCamera();
    const QByteArray text = support::readFile(dir.filePath("report.json"));
    const QJsonArray probe = QJsonDocument::fromJson(text).array();
    ASSERT_EQ(probe.size(), 1);
    EXPECT_EQ(probe[0]["file"].toString(), "2021_1228_190106_001F.MP4");
    EXPECT_TRUE(probe[0]["dataAt"].toString().startsWith("freeGPS blocks from offset"));
    EXPECT_FALSE(text.contains(dir.path().toUtf8()));

    // The clock three hours off: offered once its track is read, kept for the card once applied.
    RVClockProposalBar* offer = controller.clockProposal();
    EXPECT_FALSE(offer->isVisible());
    controller.selectRow(rowOf("2024_0522_120000_001F.MP4"));
    controller.rowClicked();
    ASSERT_TRUE(ClipFactory::waitFor([&] { return offer->isVisible(); }));
    EXPECT_TRUE(offer->applyButton()->text().contains("+3:00"));
    EXPECT_FALSE(offer->localFixesButton()->isVisible()); // 13:00 is not the name's 12:00
    EXPECT_EQ(offer->proposal()->folder, dir.path());
    offer->applyButton()->click();
    EXPECT_FALSE(offer->isVisible());
    EXPECT_EQ(RVCameraClock::ruleFor(late, RVCameraFamily::Novatek).offsetSeconds, 3 * 3600);
    RVCameraClock::clearRules();
    RVCameraClock::loadRules();
    EXPECT_EQ(RVCameraClock::ruleFor(late, RVCameraFamily::Novatek).offsetSeconds, 3 * 3600);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("+3:00"));
    // The encrypted recording's name and its missing fix propose nothing.
    controller.selectRow(rowOf("2021_1228_190106_001F.MP4"));
    controller.rowClicked();
    EXPECT_FALSE(ClipFactory::waitFor([&] { return offer->isVisible(); }, 1000));

    // Fixes on the name's own clock: either reading is offered; taking the second keeps the
    // names and reads the fixes in this computer's zone, at once.
    RVCameraClock::clearRules();
    controller.selectRow(rowOf("2024_0522_160000_001F.MP4"));
    controller.rowClicked();
    ASSERT_TRUE(ClipFactory::waitFor([&] { return offer->isVisible(); }));
    EXPECT_TRUE(offer->applyButton()->text().contains("+2:00"));
    ASSERT_TRUE(offer->localFixesButton()->isVisible());
    EXPECT_TRUE(offer->localFixesButton()->toolTip().contains("Europe/Berlin"));
    offer->localFixesButton()->click();
    EXPECT_FALSE(offer->isVisible());
    EXPECT_EQ(RVCameraClock::ruleFor(cold, RVCameraFamily::Novatek),
              (RVClockRule{"Europe/Berlin", 0}));
    ASSERT_TRUE(ClipFactory::waitFor([&] {
        controller.videoList()->waitForIdle();
        const int r = rowOf("2024_0522_160000_001F.MP4");
        const RVVideoDataPtr node = r < 0 ? nullptr : row(r);
        if (node && !node->points())
            controller.videoList()->readGpsInfo(node, false);
        return node && node->points() && !node->points()->empty() &&
               node->points()->front().time().toDateTime().toString(Qt::ISODate) ==
                   "2024-05-22T14:00:05Z";
    }));
    RVCameraClock::clearRules();
}

// A card pulled while its trip plays: one alert names the card, not each recording after it.
TEST_F(WindowCameraData, APulledCardIsNamedOnce)
{
    const QString card = dir.filePath("CARD");
    ASSERT_TRUE(writeCard(card, 0, 3));
    open();
    ASSERT_TRUE(add({card}));
    ASSERT_TRUE(play());
    ASSERT_TRUE(QDir(card).removeRecursively());
    ASSERT_TRUE(ClipFactory::waitFor([&] { return !dialogs->alerts.isEmpty(); }, 15000));
    QTest::qWait(500);
    EXPECT_EQ(dialogs->alerts, QStringList{"ERROR_TITLE | ERROR_CARD_REMOVED " + card});
    EXPECT_FALSE(window->statusBar()->currentMessage().contains("STATUS_FILE_SKIPPED"));
}

// Another card put in at the same path while the window shows the first: Delete by the old
// rows would delete the new card's recordings. It deletes nothing, says why, and the list
// shows the card that is there now.
TEST_F(WindowCameraData, ASwappedCardIsReadAgainNotDeleted)
{
    const QString card = dir.filePath("CARD");
    ASSERT_TRUE(writeCard(card, 0, 2));
    open();
    ASSERT_TRUE(add({card}));
    const RVVideoDataPtr shown = row(0);
    ASSERT_EQ(shown->files().size(), 2u);

    ASSERT_TRUE(QDir().rename(card, card + "-A"));
    ASSERT_TRUE(writeCard(card, 1, 2));
    controller.selectRow(0);
    dialogs->answers = {true};
    controller.removeClicked(shown);
    ASSERT_TRUE(ClipFactory::waitFor([&] { return !dialogs->alerts.isEmpty(); }));
    EXPECT_EQ(dialogs->alerts, QStringList{"ERROR_TITLE | ERROR_CARD_CHANGED " + shown->name()});
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("STATUS_CARD_CHANGED"));
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(QFile::exists(card + QStringLiteral("/DCIM/clip%1.mp4").arg(i))) << i;
    // The rows are the new card's: a delete by them goes ahead.
    ASSERT_TRUE(ClipFactory::waitFor([&] {
        controller.videoList()->waitForIdle();
        return model->rowCount() == 1 && row(0) != shown;
    }));
    dialogs->answers = {true};
    controller.removeClicked(row(0));
    ASSERT_TRUE(ClipFactory::waitFor([&] { return !QFile::exists(card + "/DCIM/clip0.mp4"); }));
    EXPECT_EQ(dialogs->alerts.size(), 1);
}
