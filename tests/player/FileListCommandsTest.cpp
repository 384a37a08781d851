// The file list's commands on a real library over real files: removing rows, locking,
// deleting with the confirmation, exporting through the save panel.

#include "ClipFactory.h"
#include "WindowTestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "player/RVMainViewController.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using ClipFactory::waitFor;

namespace {

const QString kRealData = QStringLiteral(KORVELA_REALDATA_DIR);

class FileListCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_dialogs = std::make_shared<ScriptedDialogs>();
        m_controller = std::make_unique<RVMainViewController>(m_dialogs);
        m_controller->loadView(windowtest::makeVideoList(true));
        m_controller->window()->show();
    }

    // Recordings made hours apart by their file dates, so each stands alone.
    QStringList makeSingles(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("cards/S%1.MP4").arg(i));
            QDir().mkpath(QFileInfo(path).absolutePath());
            EXPECT_TRUE(ClipFactory::make(path, {160, 120, 25, 1.0, 0, 25}));
            paths << path;
        }
        return paths;
    }

    void addAndWait(const QStringList& paths, int rows)
    {
        m_controller->addFiles(paths);
        m_controller->videoList()->waitForIdle();
        ASSERT_TRUE(waitFor([&] { return m_controller->filesModel()->rowCount() == rows; }))
            << m_controller->filesModel()->rowCount();
    }

    RVVideoDataPtr row(int r) const
    {
        return m_controller->filesModel()->nodeAt(m_controller->filesModel()->index(r, 0));
    }

    windowtest::IsolatedSettings m_settings;
    QTemporaryDir m_dir;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RVMainViewController> m_controller;
};

} // namespace

TEST(FileListRemoval, RemovingRowsKeepsASensibleSelection)
{
    // Three recordings whose tracks start an hour apart: three rows once the metadata scan
    // has regrouped them by their GPS times.
    windowtest::IsolatedSettings settings;
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths << dir.filePath(QStringLiteral("S%1.MP4").arg(i));
        ASSERT_TRUE(ClipFactory::make(paths.last(), {160, 120, 25, 1.0, 0, 25}));
    }
    const RVMetaDataSource source = [paths](const QString& path) {
        RVMetaData metaData;
        const auto start = RVTimestamp::fromMSecsSinceEpoch(1420106400000 + // 2015-01-01 10:00
                                                            3600000LL * paths.indexOf(path));
        metaData.points.emplace_back("55.750000", "37.610000", 150.0, 0.0, 40.0, start);
        metaData.velocityData.push_back(40.0);
        return std::optional<RVMetaData>(metaData);
    };
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto controller = std::make_unique<RVMainViewController>(dialogs);
    controller->loadView(
        std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), source));
    dialogs->openPaths = paths;
    controller->addFileClicked();
    controller->videoList()->waitForIdle();
    auto* model = controller->filesModel();
    ASSERT_TRUE(waitFor([&] { return model->rowCount() == 3; })) << model->rowCount();
    const int rows = 3;

    // The last row removed: the row before it is selected; the only row: nothing.
    controller->selectRow(rows - 1);
    controller->removeFileClicked();
    EXPECT_EQ(controller->filesModel()->rowCount(), rows - 1);
    EXPECT_EQ(controller->selectedRow(), rows - 2);
    for (int i = 0; i < 3 && controller->filesModel()->rowCount() > 0; ++i)
        controller->removeFileClicked();
    EXPECT_EQ(controller->filesModel()->rowCount(), 0);
    EXPECT_EQ(controller->selectedRow(), -1);
    controller->removeFileClicked(); // nothing selected: nothing happens
    for (const QString& path : paths)
        EXPECT_TRUE(QFile::exists(path)) << "removing from the list keeps the files";
}

TEST_F(FileListCommands, LockUnlockAndDeleteWithConfirmation)
{
    const QStringList paths = makeSingles(1);
    addAndWait(paths, 1);
    RVVideoDataPtr node = row(0);
    ASSERT_TRUE(node);

    m_controller->lockClicked(node);
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(paths[0]));
    EXPECT_TRUE(node->files().front()->locked());
    EXPECT_EQ(RVVideoOutlineViewModel::lockImageName(*node), "VideoLocked");
    m_controller->unlockClicked(node);
    EXPECT_FALSE(RVFileSystemUtil::isFileLocked(paths[0]));
    EXPECT_EQ(RVVideoOutlineViewModel::lockImageName(*node), "Video");
    // A menu opened below the last row gives no node: nothing happens, nothing is asked.
    m_controller->lockClicked(nullptr);
    m_controller->removeClicked(nullptr);
    EXPECT_TRUE(m_dialogs->questions.isEmpty());

    // "No" changes nothing; the question names the node.
    m_dialogs->answers = {false};
    m_controller->selectRow(0);
    m_controller->removeClicked(node);
    ASSERT_EQ(m_dialogs->questions.size(), 1);
    EXPECT_TRUE(m_dialogs->questions[0].startsWith("ARE_YOU_SURE_TITLE | "));
    EXPECT_TRUE(QFile::exists(paths[0]));
    EXPECT_EQ(m_controller->filesModel()->rowCount(), 1);

    // A locked recording survives "Yes", and the user is told so.
    m_controller->lockClicked(node);
    m_dialogs->answers = {true};
    m_controller->removeClicked(node);
    EXPECT_TRUE(QFile::exists(paths[0]));
    ASSERT_EQ(m_dialogs->alerts.size(), 1);
    EXPECT_TRUE(m_dialogs->alerts[0].contains(QFileInfo(paths[0]).fileName()));
    m_controller->videoList()->waitForIdle();
    ASSERT_TRUE(waitFor([&] { return m_controller->filesModel()->rowCount() == 1; }));

    node = row(0);
    m_controller->unlockClicked(node);
    m_dialogs->answers = {true};
    m_controller->removeClicked(node);
    EXPECT_FALSE(QFile::exists(paths[0]));
    m_controller->videoList()->waitForIdle();
    ASSERT_TRUE(waitFor([&] { return m_controller->filesModel()->rowCount() == 0; }));
    EXPECT_EQ(m_controller->selectedRow(), -1);
}

TEST_F(FileListCommands, ExportsGoThroughTheSavePanel)
{
    // A generated video beside a real BlackVue camera's track and G-sensor files.
    const QString realTrack = kRealData + QStringLiteral("/blackvue-dr650s/20170709_080018_N");
    if (!QFile::exists(realTrack + ".gps"))
        GTEST_SKIP() << "no real BlackVue data at " << realTrack.toStdString();
    const QString folder = m_dir.filePath("blackvue");
    QDir().mkpath(folder);
    ASSERT_TRUE(ClipFactory::make(folder + "/20170709_080018_N.mp4", {160, 120, 25, 2.0, 0, 25}));
    ASSERT_TRUE(QFile::copy(realTrack + ".gps", folder + "/20170709_080018_N.gps"));
    ASSERT_TRUE(QFile::copy(realTrack + ".3gf", folder + "/20170709_080018_N.3gf"));
    addAndWait({folder}, 1);
    m_controller->selectRow(0);
    const RVVideoDataPtr node = row(0);
    ASSERT_TRUE(node);

    // Cancelled: nothing written.
    m_dialogs->savePath.reset();
    m_controller->exportToKLMClicked();
    ASSERT_EQ(m_dialogs->proposedNames.size(), 1);
    EXPECT_EQ(m_dialogs->proposedNames[0], node->name() + ".kml");

    const QString kml = m_dir.filePath("out/track.kml");
    QDir().mkpath(m_dir.filePath("out"));
    m_dialogs->savePath = kml;
    m_controller->exportToKLMClicked();
    QFile kmlFile(kml);
    ASSERT_TRUE(kmlFile.open(QIODevice::ReadOnly));
    const QByteArray kmlText = kmlFile.readAll();
    EXPECT_TRUE(kmlText.startsWith("<?xml"));
    EXPECT_TRUE(kmlText.contains("<coordinates>"));

    const QString gpsTable = m_dir.filePath("out/A.gps.csv");
    m_dialogs->savePath = gpsTable;
    m_controller->exportToExcelClicked();
    EXPECT_EQ(m_dialogs->proposedNames.last(), node->name() + ".gps.csv");
    for (const QString& path : {gpsTable, m_dir.filePath("out/A.gsensor.csv")}) {
        QFile table(path);
        ASSERT_TRUE(table.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_TRUE(table.read(2) == QByteArray("\xff\xfe", 2)) << path.toStdString();
    }

    // A file that cannot be written is reported, not passed over.
    m_dialogs->savePath = m_dir.filePath("no/such/folder/track.gpx");
    m_controller->exportToGPX();
    ASSERT_EQ(m_dialogs->alerts.size(), 1);
    EXPECT_TRUE(m_dialogs->alerts[0].startsWith("ERROR_TITLE | "));
}
