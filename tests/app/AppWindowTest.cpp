// The application as a driver meets it: the first launch, the window in each interface
// language, the user's choices, and what the next launches make of them.
#include "../player/WindowTestSupport.h" // ScriptedDialogs, IsolatedSettings

#include "app/RVAppDelegate.h"
#include "app/RVMenuMnemonics.h"
#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/map/RVMapView.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVMainViewController.h"
#include "support/Support.h"

#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The application as the program launches it, except that it watches no cards, asks no
// server, shows no advertisement and answers its dialogs from a script.
struct Launch
{
    QTemporaryDir installDir;
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    std::unique_ptr<RVAppDelegate> app;

    Launch()
    {
        RVAppDelegateOptions options;
        options.dialogs = dialogs;
        options.videoList = std::make_shared<RVVideoList>(
            std::make_unique<RVStaticVolumeMonitor>(),
            [](const QString&) { return std::optional<RVMetaData>(); });
        options.checkForUpdates = false;
        options.advertisementServer.clear();
        // An installed copy of its own, so the pending-update step sees nothing of the build.
        QDir(installDir.path()).mkpath(QStringLiteral("Korvela Player/bin"));
        options.updaterEnvironment.executablePath =
            installDir.filePath(QStringLiteral("Korvela Player/bin/korvela-player"));
        options.updaterEnvironment.launch = [](const QString&) { return false; };
        options.updaterEnvironment.endProcess = [](int) { ADD_FAILURE() << "ended the process"; };
        options.updaterEnvironment.dashcamFlashDrives = [] { return QStringList(); };
        app = std::make_unique<RVAppDelegate>(std::move(options));
        app->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
    }
    ~Launch()
    {
        app.reset();
        QCoreApplication::processEvents(); // runs the deferred deletes
    }
};

QAction* item(QMenu* menu, const QString& codeOrTitle)
{
    for (QAction* item : menu->actions())
        if (item->toolTip() == codeOrTitle ||
            RVMenuMnemonics::stripped(item->text()) == codeOrTitle)
            return item;
    return nullptr;
}

std::vector<bool> graphs(const RVAppDelegate& app, bool inWindow = false)
{
    std::vector<bool> result;
    for (int tag = 0; tag < RVGraphs::kCount; ++tag)
        result.push_back(inWindow ? app.mainViewController()->graphEnabled(RVGraph(tag))
                                  : app.graphsItem(tag)->isChecked());
    return result;
}

// Readable at 900 x 534: the name column keeps 150 px and no header is cut.
void expectReadable(QHeaderView* header)
{
    EXPECT_GE(header->sectionSize(RVVideoOutlineViewModel::ColumnName), 150);
    for (int column = 0; column < header->count(); ++column)
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
}

} // namespace

TEST(AppWindow, FirstLaunchEachLanguageTheUsersChoicesAndTheNextLaunches)
{
    const windowtest::IsolatedSettings settings;
    QTemporaryDir dir;
    const QString name = QStringLiteral("20260516_181000_NF_a_rather_long_recording_name.mp4");
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    QDir(dir.path()).mkdir(QStringLiteral("empty"));
    ASSERT_TRUE(support::runFfmpeg({"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=5",
                                    "-t", "1", dir.filePath("card/" + name)}));
    RVSettings::setAppleLanguages({"en"});
    QRect geometry;
    QList<QList<int>> splitterSizes;
    int nameWidth = 0;
    const std::vector<bool> wanted{false, false, false, true, false, true};
    {
        Launch launch;
        RVAppDelegate& app = *launch.app;
        QMainWindow* window = app.window();
        RVMainViewController* controller = app.mainViewController();
        RVVideoOutlineView* list = controller->filesView();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(window->geometry(), QRect(area.x() + (area.width() - 900) / 2,
                                            area.y() + (area.height() - 534) / 2, 900, 534));
        EXPECT_EQ(graphs(app), (std::vector<bool>{true, true, false, false, false, false}));

        // Empty: the list says how to get recordings and Space starts nothing; a folder
        // without recordings is named.
        EXPECT_EQ(list->placeholderText(), qtTrId("FILE_LIST_EMPTY_HINT"));
        window->activateWindow();
        QTest::keyClick(window->centralWidget(), Qt::Key_Space);
        EXPECT_FALSE(controller->playback()->node());
        controller->addFiles({dir.filePath("empty")});
        ASSERT_TRUE(support::waitFor([&] { return list->placeholderText().contains("empty"); }));
        controller->addFiles({dir.filePath("card")});
        ASSERT_TRUE(support::waitFor([&] { return controller->filesModel()->rowCount() == 1; }));
        expectReadable(list->header());

        // The language menu switches the window at once and stores the choice on disk.
        auto* add = window->findChild<QPushButton*>(QStringLiteral("addVideoButton"));
        const auto shown = [&] {
            return QStringList{add->text(),
                               controller->playPauseButton()->toolTip(),
                               window->findChild<QAction*>(QStringLiteral("playPause"))->text(),
                               window->findChild<QLabel*>("velocity")->text(),
                               window->findChild<QMenu*>(QStringLiteral("menuFile"))->title(),
                               controller->filesModel()->headerData(0, Qt::Horizontal).toString(),
                               controller->cameraMenu()->title(),
                               QCoreApplication::translate("QFileDialog", "Open")};
        };
        const QStringList english = shown();
        for (const char* code : {"de", "en", "ru"}) {
            SCOPED_TRACE(code);
            item(app.menuLanguage(), QString::fromLatin1(code))->trigger();
            QSettings onDisk(RVSettings::store().fileName(), QSettings::IniFormat);
            EXPECT_EQ(onDisk.value(QLatin1String(RVSettings::kAppleLanguages)).toStringList(),
                      QStringList{code});
            const QStringList now = shown();
            const QString space = QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText);
            EXPECT_EQ(
                now.mid(0, now.size() - 1),
                (QStringList{
                    qtTrId("ADD_VIDEO_TITLE"), qtTrId("PLAY_PAUSE_TOOLTIP") + " (" + space + ")",
                    now[2].section('\t', 0, 0) + '\t' + space, QString(), // no speed yet
                    qtTrId("MENU_FILE"), qtTrId("COLUMN_FILENAME_TITLE"), qtTrId("MENU_CAMERA")}));
            expectReadable(controller->filesView()->header());
            // The language did change, Qt's own dialogs included.
            EXPECT_EQ(now.front() == english.front(), QLatin1String(code) == "en");
            EXPECT_EQ(now.back() == english.back(), QLatin1String(code) == "en");
        }

        // The user's choices: a larger window, other splitter and column sizes, other graphs
        // (in the window and the store at once) and British units.
        window->setGeometry(window->geometry().adjusted(-40, -30, 160, 120));
        geometry = window->geometry();
        for (QSplitter* splitter : window->findChildren<QSplitter*>()) {
            QList<int> sizes = splitter->sizes();
            std::reverse(sizes.begin(), sizes.end());
            splitter->setSizes(sizes);
            splitterSizes.append(splitter->sizes());
        }
        list->header()->resizeSection(0, list->header()->sectionSize(0) + 37);
        nameWidth = list->header()->sectionSize(0);
        for (int tag = 0; tag < RVGraphs::kCount; ++tag)
            if (app.graphsItem(tag)->isChecked() != wanted[size_t(tag)])
                app.graphsItem(tag)->trigger();
        EXPECT_EQ(graphs(app, true), wanted);
        app.menuItemBritish()->trigger();
        EXPECT_EQ(controller->measurementSystem(), "British");
    }
    {
        Launch again;
        QMainWindow* window = again.app->window();
        EXPECT_EQ(window->geometry(), geometry);
        QList<QList<int>> restored;
        for (QSplitter* splitter : window->findChildren<QSplitter*>())
            restored.append(splitter->sizes());
        EXPECT_EQ(restored, splitterSizes);
        EXPECT_EQ(again.app->mainViewController()->filesView()->header()->sectionSize(0),
                  nameWidth);
        EXPECT_EQ(std::pair(graphs(*again.app), graphs(*again.app, true)),
                  std::pair(wanted, wanted));
        EXPECT_TRUE(item(again.app->menuLanguage(), "ru")->isChecked());
        EXPECT_EQ(window->findChild<QLabel*>("velocity")->text(), qtTrId("MILES_PER_HOUR"));
    }

    // The first supported language of the stored list; a provider this version does not offer
    // shows the default.
    RVSettings::store().clear();
    RVSettings::setAppleLanguages({"fr", "ru", "en"});
    RVSettings::setText(RVSettings::kMapsProvider, QStringLiteral("Bing"));
    {
        Launch russian;
        EXPECT_EQ(russian.app->window()->findChild<QPushButton*>("addVideoButton")->text(),
                  QStringLiteral("Добавить"));
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Открыть"));
        EXPECT_TRUE(
            item(russian.app->menuMapsProvider(), RVMapView::availableProviders()[0])->isChecked());
    }
    // The translators leave with the window: the next launch may speak another language.
    EXPECT_EQ(qtTrId("ADD_VIDEO_TITLE"), QStringLiteral("ADD_VIDEO_TITLE"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
}

// Menu mnemonics keep the translators' letters and move clashes. Help lists every command that
// has a key, read from the menus and the window's commands as they are, with each of its keys.
// With no program to open the notes on this version (none on the search path), What's New says
// so instead of doing nothing.
TEST(AppWindow, MnemonicsHelpListsEveryCommandWithAKeyAndWhatsNewWithoutAProgram)
{
    // O is taken by the translator's "&Open": "&Other" moves to the next free letter, and
    // "Only One" has no free word start; the key after a tab is no letter to use; "&&" has no
    // letter at all.
    const char* items[][2] = {{"&Open…", "&Open…"},
                              {"&Other", "O&ther"},
                              {"Only One", "O&nly One"},
                              {"Fish && Chips", "&Fish && Chips"},
                              {"Save\tCtrl+S", "&Save\tCtrl+S"},
                              {"Speed", "S&peed"},
                              {"&&", "&&"}};
    QMenu menu;
    for (const auto& item : items)
        menu.addAction(QString::fromUtf8(item[0]));
    menu.addSeparator();
    for (int pass = 0; pass < 2; ++pass) {
        RVMenuMnemonics::assign(&menu);
        for (int i = 0; i < int(std::size(items)); ++i)
            EXPECT_EQ(menu.actions()[i]->text(), QString::fromUtf8(items[i][1])) << i;
    }
    EXPECT_EQ(RVMenuMnemonics::stripped("&Fish && Chips"), "Fish & Chips");
    EXPECT_EQ(RVMenuMnemonics::stripped("Fish &&&Chips"), "Fish &Chips");

    Launch launch;
    QMainWindow* window = launch.app->window();
    QAction* shortcutsItem = window->findChild<QAction*>(QStringLiteral("keyboardShortcuts"));
    ASSERT_NE(shortcutsItem, nullptr);
    EXPECT_TRUE(window->findChild<QMenu*>("menuHelp")->actions().contains(shortcutsItem));
    shortcutsItem->trigger();
    auto* table = window->findChild<QTableWidget*>(QStringLiteral("shortcutsTable"));
    ASSERT_NE(table, nullptr);
    QMap<QString, QString> listed;
    for (int row = 0; row < table->rowCount(); ++row)
        listed.insert(table->item(row, 0)->text(), table->item(row, 1)->text());

    // Every action of the window that has a shortcut or shows a key in its text.
    int withKeys = 0;
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->shortcut().isEmpty() && !action->text().contains(QLatin1Char('\t')))
            continue;
        ++withKeys;
        const QString name = RVMenuMnemonics::stripped(action->text().section('\t', 0, 0));
        const QString key = action->shortcut().isEmpty()
                                ? action->text().section('\t', 1)
                                : action->shortcut().toString(QKeySequence::NativeText);
        ASSERT_TRUE(listed.contains(name)) << name.toStdString();
        EXPECT_TRUE(listed[name].split(QStringLiteral(", ")).contains(key))
            << name.toStdString() << ": " << listed[name].toStdString();
    }
    EXPECT_GE(withKeys, 20);
    // Keys no menu shows: Escape, and full screen's other keys.
    EXPECT_EQ(listed.value(QStringLiteral("Leave Full Screen")), QStringLiteral("Esc"));
    EXPECT_EQ(listed.value(QStringLiteral("Full Screen")), QStringLiteral("F11, F, Alt+Return"));
    EXPECT_EQ(listed.value(QStringLiteral("Open…")), QStringLiteral("Ctrl+O"));
    EXPECT_EQ(listed.value(QStringLiteral("Play / Pause")), QStringLiteral("Space"));
    EXPECT_FALSE(listed.contains(QStringLiteral("About Korvela Player")));
    table->window()->close();

    QTemporaryDir nothing;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(nothing.path()));
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    window->findChild<QAction*>(QStringLiteral("whatsNew"))->trigger();
    ASSERT_EQ(launch.dialogs->alerts.size(), 1);
    EXPECT_TRUE(launch.dialogs->alerts[0].contains(QStringLiteral("WhatsNew.txt")) ||
                launch.dialogs->alerts[0].contains(QStringLiteral("not installed")))
        << launch.dialogs->alerts[0].toStdString();
}

// At the first window size the list shows camera names whole in every language: the name
// column has the room of the name, its mode icon and the item's margins.
TEST(AppWindow, CameraNamesShowWholeAtTheFirstSizeInEveryLanguage)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    const QStringList names{"20260516_204500_E.mp4", "20260516_201000_NF.MP4"};
    for (const QString& name : names)
        ASSERT_TRUE(
            support::runFfmpeg({"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=5",
                                "-t", "1", dir.filePath("card/" + name)}));
    for (const char* code : {"en", "de", "ru"}) {
        SCOPED_TRACE(code);
        RVSettings::store().clear();
        RVSettings::setAppleLanguages({QString::fromLatin1(code)});
        Launch launch;
        RVMainViewController* controller = launch.app->mainViewController();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(launch.app->window()));
        EXPECT_EQ(launch.app->window()->width(), 900);
        controller->addFiles({dir.filePath("card")});
        RVVideoOutlineView* list = controller->filesView();
        RVVideoOutlineViewModel* model = controller->filesModel();
        ASSERT_TRUE(support::waitFor([&] { return model->rowCount() == 2; }));
        expectReadable(list->header());
        const int margins = 4 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const int icon = list->iconSize().isValid()
                             ? list->iconSize().width()
                             : list->style()->pixelMetric(QStyle::PM_SmallIconSize);
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, RVVideoOutlineViewModel::ColumnName);
            QFont font = list->font();
            font.setBold(true); // the widest a name shows
            const int needed =
                QFontMetrics(font).horizontalAdvance(index.data().toString()) + icon + margins;
            EXPECT_GE(list->visualRect(index).width(), needed)
                << index.data().toString().toStdString();
        }
        // The video and the map keep their room.
        QSplitter* splitter = launch.app->window()->findChild<QSplitter*>("windowModeControls");
        ASSERT_EQ(splitter->sizes().size(), 2);
        EXPECT_GE(splitter->sizes()[1], 400);
        // The distance column waits for room: shown in a wide window, gone again at 900.
        EXPECT_TRUE(list->isColumnHidden(RVVideoOutlineViewModel::ColumnDistance));
        launch.app->window()->resize(1600, 1000);
        EXPECT_TRUE(support::waitFor(
            [&] { return !list->isColumnHidden(RVVideoOutlineViewModel::ColumnDistance); }));
        launch.app->window()->resize(900, 534);
        EXPECT_TRUE(support::waitFor([&] {
            return list->isColumnHidden(RVVideoOutlineViewModel::ColumnDistance) &&
                   splitter->sizes().value(1) >= 400;
        }));
    }
    RVSettings::store().clear();
}
