// The file list's commands on a real library over real files: removing rows, locking,
// deleting with the confirmation, exporting through the save panel.

#include "ClipFactory.h"
#include "RealData.h"
#include "WindowTestSupport.h"

#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "metadata/RVGpsProcessor.h"
#include "player/RVMainViewController.h"
#include "player/RVVideoOutlineViewModel.h"
#include "player/RVWidgetDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using ClipFactory::waitFor;

namespace {

class FileListCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // Generated recordings S0.MP4, S1.MP4, ... get a track starting on 2015-01-01 at 10:00,
        // 11:00, ..., so each stands alone; other files are read by the program's readers.
        const RVMetaDataSource source = [](const QString& path) {
            const QString name = QFileInfo(path).completeBaseName();
            if (!name.startsWith('S'))
                return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(path);
            RVMetaData metaData;
            const auto start =
                RVTimestamp::fromMSecsSinceEpoch(1420106400000 + 3600000LL * name.mid(1).toInt());
            metaData.points.emplace_back("55.750000", "37.610000", 150.0, 0.0, 40.0, start);
            metaData.velocityData.push_back(40.0);
            return std::optional<RVMetaData>(metaData);
        };
        m_dialogs = std::make_shared<ScriptedDialogs>();
        m_controller = std::make_unique<RVMainViewController>(m_dialogs);
        m_controller->loadView(
            std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), source));
        m_controller->window()->show();
    }

    QStringList makeSingles(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            paths << m_dir.filePath(QStringLiteral("S%1.MP4").arg(i));
            EXPECT_TRUE(ClipFactory::make(paths.last(), {160, 120, 25, 1.0, 0, 25}));
        }
        return paths;
    }

    // Waits until the list shows `rows` rows once the library's work is done.
    void waitForRows(int rows)
    {
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

TEST_F(FileListCommands, RemovingRowsKeepsASensibleSelectionAndTheFiles)
{
    const QStringList paths = makeSingles(3);
    m_dialogs->openPaths = paths;
    m_controller->addFileClicked();
    waitForRows(3);

    // The last row removed: the row before it is selected; the only row: nothing.
    m_controller->selectRow(2);
    m_controller->removeFileClicked();
    EXPECT_EQ(m_controller->filesModel()->rowCount(), 2);
    EXPECT_EQ(m_controller->selectedRow(), 1);
    m_controller->removeFileClicked();
    m_controller->removeFileClicked();
    EXPECT_EQ(m_controller->filesModel()->rowCount(), 0);
    EXPECT_EQ(m_controller->selectedRow(), -1);
    m_controller->removeFileClicked(); // nothing selected: nothing happens
    for (const QString& path : paths)
        EXPECT_TRUE(QFile::exists(path)) << "removing from the list keeps the files";
}

TEST_F(FileListCommands, LockUnlockAndDeleteWithConfirmation)
{
    const QStringList paths = makeSingles(1);
    m_controller->addFiles(paths);
    waitForRows(1);
    RVVideoDataPtr node = row(0);
    ASSERT_TRUE(node);

    m_controller->lockClicked(node);
    EXPECT_TRUE(RVFileSystemUtil::isFileLocked(paths[0]));
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
    waitForRows(1);

    node = row(0);
    m_controller->unlockClicked(node);
    m_dialogs->answers = {true};
    m_controller->removeClicked(node);
    EXPECT_FALSE(QFile::exists(paths[0]));
    waitForRows(0);
    EXPECT_EQ(m_controller->selectedRow(), -1);
}

TEST_F(FileListCommands, ExportsGoThroughTheSavePanel)
{
    // A generated video beside a real BlackVue camera's track and G-sensor files.
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s/20170709_080018_N.gps");
    const QString realTrack = RealData::path(QStringLiteral("blackvue-dr650s/20170709_080018_N"));
    const QString folder = m_dir.filePath("blackvue");
    QDir().mkpath(folder);
    ASSERT_TRUE(ClipFactory::make(folder + "/20170709_080018_N.mp4", {160, 120, 25, 2.0, 0, 25}));
    ASSERT_TRUE(QFile::copy(realTrack + ".gps", folder + "/20170709_080018_N.gps"));
    ASSERT_TRUE(QFile::copy(realTrack + ".3gf", folder + "/20170709_080018_N.3gf"));
    m_controller->addFiles({folder});
    waitForRows(1);
    m_controller->selectRow(0);
    const RVVideoDataPtr node = row(0);
    ASSERT_TRUE(node);

    // Cancelled: nothing written. (The export layer's tests pin the files' contents.)
    m_dialogs->savePath.reset();
    m_controller->exportToKLMClicked();
    ASSERT_EQ(m_dialogs->proposedNames.size(), 1);
    EXPECT_EQ(m_dialogs->proposedNames[0], node->name() + ".kml");

    QDir().mkpath(m_dir.filePath("out"));
    m_dialogs->savePath = m_dir.filePath("out/track.kml");
    m_controller->exportToKLMClicked();
    QFile kml(*m_dialogs->savePath);
    ASSERT_TRUE(kml.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kml.readAll().contains("<coordinates>"));

    // The spreadsheet export writes the G-sensor table beside the chosen GPS table.
    m_dialogs->savePath = m_dir.filePath("out/A.gps.csv");
    m_controller->exportToExcelClicked();
    EXPECT_EQ(m_dialogs->proposedNames.last(), node->name() + ".gps.csv");
    // The panel opened where the last export went.
    EXPECT_EQ(m_dialogs->saveFolders.last(), m_dir.filePath("out"));
    EXPECT_TRUE(QFile::exists(*m_dialogs->savePath));
    EXPECT_TRUE(QFile::exists(m_dir.filePath("out/A.gsensor.csv")));

    // A file that cannot be written is reported, not passed over.
    m_dialogs->savePath = m_dir.filePath("no/such/folder/track.gpx");
    m_controller->exportToGPX();
    ASSERT_EQ(m_dialogs->alerts.size(), 1);
    EXPECT_TRUE(m_dialogs->alerts[0].startsWith("ERROR_TITLE | "));
}

// The real dialogs: Enter in a question takes the safe answer, and the open panel with
// nothing chosen opens nothing (not the folder it shows).
TEST(WidgetDialogs, SafeDefaultsAndNothingChosenOpensNothing)
{
    QWidget parent;
    parent.show();
    RVWidgetDialogs dialogs(&parent);
    // Acts on the dialog once it is up, from inside its modal loop.
    auto whenModal = [](std::function<void(QWidget*)> act) {
        auto* timer = new QTimer;
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                act(modal);
            }
        });
        timer->start();
    };

    whenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_FALSE(dialogs.question("Delete?", "The files will be deleted."));

    bool stayedOpen = false;
    whenModal([&](QWidget* panel) {
        auto* buttons = panel->findChild<QDialogButtonBox*>("buttonBox");
        QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (open) {
            open->setEnabled(true);
            open->click();
            stayedOpen = panel->isVisible();
        }
        static_cast<QDialog*>(panel)->reject();
    });
    EXPECT_TRUE(dialogs.chooseFilesAndFolders().isEmpty());
    EXPECT_TRUE(stayedOpen);
}
