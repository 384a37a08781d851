#include "AppTestSupport.h"

#include "korvela_version.h"
#include "metadata/RVSettings.h"
#include "player/RVMainViewController.h"
#include "player/RVMapView.h"
#include "player/RVUpdateDialogs.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVTimeSlider2.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The language codes (tool tips) or titles (without mnemonics) of a menu's checked items.
QStringList checkedCodes(QMenu* menu, bool titles = false)
{
    QStringList checked;
    for (QAction* item : menu->actions()) {
        if (item->isChecked())
            checked << (titles ? QString(item->text()).remove('&') : item->toolTip());
    }
    return checked;
}

QAction* item(QMenu* menu, const QString& codeOrTitle)
{
    for (QAction* item : menu->actions()) {
        if (item->toolTip() == codeOrTitle || QString(item->text()).remove('&') == codeOrTitle)
            return item;
    }
    return nullptr;
}

std::vector<bool> graphChecks(const RVAppDelegate& delegate)
{
    std::vector<bool> checks;
    for (int tag = 0; tag < 6; ++tag)
        checks.push_back(delegate.graphsItem(tag)->isChecked());
    return checks;
}

// The window's graph flags in the menu's order.
std::vector<bool> graphFlags(const RVMainViewController& c)
{
    std::vector<bool> flags;
    for (int tag = 0; tag < RVGraphs::kCount; ++tag)
        flags.push_back(c.graphEnabled(RVGraph(tag)));
    return flags;
}

class AppDelegate : public ::testing::Test
{
protected:
    void SetUp() override { apptest::clearSettings(); }
    void TearDown() override { apptest::clearSettings(); }
};

} // namespace

// What the first launch sets up, what the user then changes through the menus and the window,
// and what the next launches make of it.
TEST_F(AppDelegate, FirstLaunchDefaultsThenTheUsersChoicesAreKept)
{
    QRect geometry;
    QList<QList<int>> splitterSizes;
    int nameWidth = 0;
    {
        apptest::Launch launch;
        RVAppDelegate& delegate = launch.delegate();
        QMainWindow* window = delegate.window();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(window->geometry(), QRect(area.x() + (area.width() - 900) / 2,
                                            area.y() + (area.height() - 534) / 2, 900, 534));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Korvela Player v" KORVELA_VERSION));
        EXPECT_EQ(graphChecks(delegate),
                  (std::vector<bool>{true, true, false, false, false, false}));
        EXPECT_TRUE(RVSettings::contains(RVSettings::kGraphsAltitudeEnabled));
        EXPECT_TRUE(delegate.menuItemMetric()->isChecked());
        // Google's map needs a key built in; without one OpenStreetMap is the default and
        // Google is not offered.
        const QStringList offered = RVMapView::availableProviders();
        QMenu* providers = delegate.menuMapsProvider();
        EXPECT_EQ(checkedCodes(providers, true), QStringList{offered.first()});
        if (!offered.contains("Google")) {
            EXPECT_EQ(item(providers, "Google"), nullptr);
        }

        window->setGeometry(window->geometry().adjusted(-40, -30, 160, 120));
        geometry = window->geometry();
        for (QSplitter* splitter : window->findChildren<QSplitter*>()) {
            QList<int> sizes = splitter->sizes();
            std::reverse(sizes.begin(), sizes.end()); // something the defaults are not
            splitter->setSizes(sizes);
            splitterSizes.append(splitter->sizes());
        }
        QHeaderView* header = delegate.mainViewController()->filesView()->header();
        header->resizeSection(0, header->sectionSize(0) + 37);
        nameWidth = header->sectionSize(0);
        // Every graph item switches its graph in the window and in the store.
        RVMainViewController* controller = delegate.mainViewController();
        const std::vector<bool> wanted{false, false, false, true, false, true};
        for (int tag = 0; tag < 6; ++tag) {
            if (delegate.graphsItem(tag)->isChecked() != wanted[size_t(tag)])
                delegate.graphsItem(tag)->trigger();
        }
        EXPECT_EQ(graphChecks(delegate), wanted);
        EXPECT_EQ(graphFlags(*controller), wanted);
        EXPECT_FALSE(RVSettings::boolValue(RVSettings::kGraphsVelocityEnabled));
        EXPECT_TRUE(RVSettings::boolValue(RVSettings::kGraphsAltitudeEnabled));
        delegate.menuItemBritish()->trigger();
        EXPECT_FALSE(delegate.menuItemMetric()->isChecked());
        EXPECT_EQ(controller->measurementSystem(), "British");
        item(providers, "OpenStreetMap")->trigger();
        EXPECT_EQ(checkedCodes(providers, true), QStringList{"OpenStreetMap"});
    }
    {
        apptest::Launch again;
        RVAppDelegate& delegate = again.delegate();
        QMainWindow* window = delegate.window();
        EXPECT_EQ(window->geometry(), geometry);
        QList<QList<int>> restored;
        for (QSplitter* splitter : window->findChildren<QSplitter*>())
            restored.append(splitter->sizes());
        EXPECT_EQ(restored, splitterSizes);
        EXPECT_EQ(delegate.mainViewController()->filesView()->header()->sectionSize(0), nameWidth);
        EXPECT_EQ(graphChecks(delegate),
                  (std::vector<bool>{false, false, false, true, false, true}));
        EXPECT_EQ(graphFlags(*delegate.mainViewController()), graphChecks(delegate));
        EXPECT_TRUE(delegate.menuItemBritish()->isChecked());
        EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("velocity"))->text(),
                  qtTrId("MILES_PER_HOUR"));
        EXPECT_EQ(checkedCodes(delegate.menuMapsProvider(), true), QStringList{"OpenStreetMap"});
    }

    // The first supported language of the stored list; a provider this version does not offer
    // shows the default; only the exact spelling is British.
    RVSettings::setAppleLanguages({"fr", "de", "en"});
    RVSettings::setText(RVSettings::kMapsProvider, QStringLiteral("Bing"));
    RVSettings::setText(RVSettings::kMeasurementSystem, QStringLiteral("british"));
    {
        apptest::Launch german;
        RVAppDelegate& delegate = german.delegate();
        EXPECT_EQ(checkedCodes(delegate.menuLanguage()), QStringList{"de"});
        EXPECT_EQ(delegate.window()->findChild<QPushButton*>("addVideoButton")->text(),
                  QStringLiteral("Hinzufügen"));
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Öffnen"));
        EXPECT_EQ(checkedCodes(delegate.menuMapsProvider(), true),
                  QStringList{RVMapView::availableProviders().first()});
        EXPECT_TRUE(delegate.menuItemMetric()->isChecked());
    }
    // The translators leave with the window: the next launch may speak another language.
    EXPECT_EQ(qtTrId("ADD_VIDEO_TITLE"), QStringLiteral("ADD_VIDEO_TITLE"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
    RVSettings::setAppleLanguages({"fr"});
    apptest::Launch english;
    EXPECT_EQ(checkedCodes(english.delegate().menuLanguage()), QStringList{"en"});
}

TEST_F(AppDelegate, LanguageMenuStoresTheChoiceAndSwitchesTheWindowAtOnce)
{
    RVSettings::setAppleLanguages({"en"});
    apptest::Launch launch;
    RVAppDelegate& delegate = launch.delegate();
    QMainWindow* window = delegate.window();
    auto* add = window->findChild<QPushButton*>(QStringLiteral("addVideoButton"));
    auto* velocity = window->findChild<QLabel*>(QStringLiteral("velocity"));
    QMenu* file = window->findChild<QMenu*>(QStringLiteral("menuFile"));
    ASSERT_TRUE(add && velocity && file);
    QAbstractItemModel* list = delegate.mainViewController()->filesModel();

    // What the window shows in each language, read from the widgets.
    const auto shown = [&] {
        return QStringList{add->text(),
                           add->window()->findChild<QPushButton*>("playPauseButton")->toolTip(),
                           velocity->text(),
                           file->title(),
                           QString(delegate.graphsItem(0)->text()).remove('&'),
                           delegate.menuItemMetric()->text(),
                           list->headerData(0, Qt::Horizontal).toString(),
                           delegate.mainViewController()->cameraMenu()->title(),
                           QCoreApplication::translate("QFileDialog", "Open")};
    };
    const QStringList english = shown();
    EXPECT_EQ(english.front(), "Add");

    for (const char* code : {"ru", "de", "en"}) {
        SCOPED_TRACE(code);
        item(delegate.menuLanguage(), QString::fromLatin1(code))->trigger();
        EXPECT_EQ(checkedCodes(delegate.menuLanguage()), QStringList{code});
        EXPECT_EQ(delegate.language(), code);
        // Written to the file at once, not only kept in memory.
        QSettings onDisk(RVSettings::store().fileName(), QSettings::IniFormat);
        EXPECT_EQ(onDisk.value(QLatin1String(RVSettings::kAppleLanguages)).toStringList(),
                  QStringList{code});
        const QStringList now = shown();
        const QStringList expected{
            qtTrId("ADD_VIDEO_TITLE"),
            QStringLiteral("%1 (%2)").arg(
                qtTrId("PLAY_PAUSE_TOOLTIP"),
                QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)),
            qtTrId("KM_PER_HOUR"),
            qtTrId("MENU_FILE"),
            qtTrId("VELOCITY_TITLE"),
            qtTrId("MENU_UNITS_METRIC"),
            qtTrId("COLUMN_FILENAME_TITLE"),
            qtTrId("MENU_CAMERA"),
            now.back()};
        EXPECT_EQ(now, expected);
        // The language did change, Qt's own dialogs included (some texts, such as "km/h", are
        // the same in two languages).
        const bool isEnglish = QLatin1String(code) == QLatin1String("en");
        EXPECT_EQ(now.front() == english.front(), isEnglish);
        EXPECT_EQ(now.back() == english.back(), isEnglish);
    }
    EXPECT_TRUE(launch.dialogs().alerts.isEmpty());
}

TEST_F(AppDelegate, ADarkPaletteGivesLightButtonsAndAxis)
{
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 45)},
                                {QPalette::WindowText, QColor(225, 225, 225)},
                                {QPalette::Base, QColor(30, 30, 30)},
                                {QPalette::Text, QColor(225, 225, 225)},
                                {QPalette::Button, QColor(55, 55, 55)},
                                {QPalette::ButtonText, QColor(225, 225, 225)},
                                {QPalette::Link, QColor(110, 170, 255)}})
        dark.setColor(role, colour);
    QApplication::setPalette(dark);
    {
        apptest::Launch launch;
        QMainWindow* window = launch.delegate().window();
        // Our own pictures (the desktop theme's follow the theme) are drawn light.
        int checked = 0;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->icon().isNull() || !button->icon().name().isEmpty() ||
                button->objectName().startsWith(QLatin1String("qt_")))
                continue;
            // Opaque pixels: light ones, and dark ones that would vanish on the dark window.
            const QImage picture = button->icon().pixmap(QSize(22, 22)).toImage();
            int light = 0, dark = 0;
            for (int i = 0; i < picture.width() * picture.height(); ++i) {
                const QRgb p = picture.pixel(i % picture.width(), i / picture.width());
                if (qAlpha(p) >= 200)
                    ++(qGray(p) > 150 ? light : dark);
            }
            EXPECT_GT(light, 10) << button->objectName().toStdString();
            EXPECT_EQ(dark, 0) << button->objectName().toStdString();
            ++checked;
        }
        EXPECT_GT(checked, 0);
        // The time axis stands out from the dark window.
        RVTimeSlider2* slider = launch.delegate().mainViewController()->timeLine();
        slider->setVideoDuration(60.0f); // an empty time line draws nothing
        const QImage strip = slider->grab().toImage();
        EXPECT_GT(qGray(strip.pixel(strip.width() / 2, 7)), 45 + 40);
        const QString shots = qEnvironmentVariable("KORVELA_TEST_SCREENSHOTS");
        if (!shots.isEmpty())
            window->grab().save(shots + QStringLiteral("/dark-window.png"));
    }
    QApplication::setPalette(before);
}

TEST_F(AppDelegate, UpdaterQuestionsAreShownInTheInterfaceLanguage)
{
    RVSettings::setAppleLanguages({"ru"});
    apptest::Launch launch;
    RVUpdateDialogs& dialogs = *launch.delegate().mainViewController()->updateDialogs();
    dialogs.alert(QStringLiteral("UPTATE_FAILED_FINISHED_TITLE"),
                  QStringLiteral("UPTATE_FAILED_FINISHED_MESSAGE"));
    EXPECT_FALSE(dialogs.question(QStringLiteral("UPTATE_READY_TITLE"),
                                  QStringLiteral("UPTATE_READY_MESSAGE")));
    dialogs.plainAlert(QStringLiteral("Update failed"), QStringLiteral("As it stands."));
    ASSERT_EQ(launch.dialogs().alerts.size(), 2);
    EXPECT_TRUE(
        launch.dialogs().alerts[0].startsWith(QStringLiteral("Не удалось обновить прошивку | ")));
    EXPECT_EQ(launch.dialogs().alerts[1], QStringLiteral("Update failed | As it stands."));
    ASSERT_EQ(launch.dialogs().questions.size(), 1);
    EXPECT_TRUE(launch.dialogs().questions[0].startsWith(
        QStringLiteral("Доступна новая версия Korvela Player | ")));

    // Unpacking shows beside the window, which stays usable, and goes when told.
    dialogs.showProgress(QStringLiteral("UPTATE_INSTALLING_TITLE"), 0, 0);
    dialogs.showProgress(QStringLiteral("UPTATE_INSTALLING_TITLE"), 3, 10);
    QProgressDialog* progress = dialogs.progressDialog();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_FALSE(progress->isModal());
    EXPECT_EQ(progress->parentWidget(), launch.delegate().window());
    EXPECT_EQ(progress->labelText(),
              QStringLiteral("Устанавливается новая версия Korvela Player…"));
    EXPECT_EQ(progress->value(), 3);
    EXPECT_EQ(progress->maximum(), 10);
    dialogs.hideProgress();
    EXPECT_EQ(dialogs.progressDialog(), nullptr);
}
