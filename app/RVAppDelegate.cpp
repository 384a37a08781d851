#include "app/RVAppDelegate.h"

#include "app/RVAboutBox.h"
#include "app/RVDataFiles.h"
#include "app/RVLanguageUtil.h"
#include "library/RVVideoList.h"
#include "metadata/RVSettings.h"
#include "player/RVMainViewController.h"
#include "player/RVMapView.h"
#include "player/RVWidgetDialogs.h"
#include "timeline/RVPlayerView.h"
#include "timeline/RVTimeSlider2.h"

#include "korvela_version.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

namespace {
constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 534;

enum GraphTag
{
    Velocity = 0,
    GSensorCommon,
    GSensorX,
    GSensorY,
    GSensorZ,
    Altitude
};
} // namespace

RVAppDelegate::RVAppDelegate(RVAppDelegateOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{}

RVAppDelegate::~RVAppDelegate()
{
    saveWindowLayout();
    m_mainViewController.reset();
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
}

QMainWindow* RVAppDelegate::window() const
{
    return m_mainViewController ? m_mainViewController->window() : nullptr;
}

QAction* RVAppDelegate::graphsItem(int tag) const
{
    return tag >= 0 && tag < int(m_graphsItems.size()) ? m_graphsItems[tag].data() : nullptr;
}

void RVAppDelegate::applicationDidFinishLaunching()
{
    if (m_mainViewController)
        return;

    // A copy started from the update folder installs itself and ends the process here. This
    // stage asks nothing, so its short-lived updater has no dialogs.
    {
        RVUpdater updater(m_options.updaterEnvironment, nullptr);
        updater.checkIfAppInTemporaryDir();
    }

    // The translator must be in place before the window reads its texts.
    m_language = RVLanguageUtil::chooseLanguage(RVLanguageUtil::preferredLanguages());
    installTranslator();

    m_mainViewController = std::make_unique<RVMainViewController>(m_options.dialogs);
    // The window starts the update check itself while it loads.
    if (m_options.checkForUpdates)
        m_mainViewController->setUpdaterEnvironment(m_options.updaterEnvironment);
    m_mainViewController->setAdvertisementServer(m_options.advertisementServer);
    m_mainViewController->loadView(m_options.videoList);
    buildMenus();

    for (QAction* item : m_menuLanguage->actions())
        item->setChecked(item->toolTip() == m_language);
    const QString provider = RVMapView::mapsProvider();
    for (QAction* item : m_menuMapsProvider->actions())
        item->setChecked(item->text() == provider);

    placeWindow();
    QMainWindow* mainWindow = window();
    mainWindow->setWindowTitle(QStringLiteral("Korvela Player %1")
                                   .arg(QStringLiteral("v%1").arg(QLatin1String(KORVELA_VERSION))));
    // The same picture as the desktop entry's, from the program's resources so that it shows
    // wherever the program runs from.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/korvela-player-%1.png").arg(size), QSize(size, size));
    QGuiApplication::setWindowIcon(icon);
    mainWindow->setWindowIcon(icon);
    mainWindow->show();
    mainWindow->raise();
    mainWindow->activateWindow();

    applyFirstLaunchDefaults();
    const bool british = RVSettings::isBritish(RVSettings::measurementSystem());
    m_menuItemBritish->setChecked(british);
    m_menuItemMetric->setChecked(!british);
}

void RVAppDelegate::installTranslator()
{
    m_translator = std::make_unique<QTranslator>();
    if (RVLanguageUtil::loadTranslation(*m_translator, m_language))
        QCoreApplication::installTranslator(m_translator.get());
    else
        qWarning().noquote() << "No translation for the language" << m_language;
    // Qt's own texts (file dialogs, standard buttons, context menus of text fields) in the
    // same language; English needs none.
    if (m_language != QLatin1String("en")) {
        m_qtTranslator = std::make_unique<QTranslator>();
        if (m_qtTranslator->load(QStringLiteral("qtbase_") + m_language,
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(m_qtTranslator.get());
        else
            qWarning().noquote() << "No Qt translation for the language" << m_language;
    }
}

void RVAppDelegate::saveWindowLayout()
{
    QMainWindow* mainWindow = window();
    if (!mainWindow)
        return;
    QSettings store = RVSettings::store();
    store.setValue(QLatin1String(RVSettings::kWindowGeometry), mainWindow->saveGeometry());
    const QByteArray layout = m_mainViewController->layoutState();
    if (!layout.isEmpty())
        store.setValue(QLatin1String(RVSettings::kWindowLayout), layout);
}

void RVAppDelegate::placeWindow()
{
    QMainWindow* mainWindow = window();
    // Where the user left it; the first time (or off every screen now) centred at its size.
    const QSettings store = RVSettings::store();
    m_mainViewController->restoreLayoutState(
        store.value(QLatin1String(RVSettings::kWindowLayout)).toByteArray());
    if (mainWindow->restoreGeometry(
            store.value(QLatin1String(RVSettings::kWindowGeometry)).toByteArray()))
        return;
    mainWindow->resize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        mainWindow->move(area.x() + (area.width() - kWindowWidth) / 2,
                         area.y() + (area.height() - kWindowHeight) / 2);
    }
}

void RVAppDelegate::applyFirstLaunchDefaults()
{
    if (!RVSettings::boolValue(RVSettings::kApplicationInitialized)) {
        RVSettings::setBool(RVSettings::kApplicationInitialized, true);
        m_mainViewController->setVelocityGraphEnabled(true);
        m_mainViewController->setGSensorCommonGraphEnabled(true);
        m_mainViewController->enabledGraphsUpdated();
        m_mainViewController->setMeasurementSystem(QStringLiteral("Metric"));
    }
    // The check marks follow what is stored on every launch, the first included, so the menu
    // never shows a graph as off while the slider draws it.
    updateGraphsCheckMarks();
}

void RVAppDelegate::updateGraphsCheckMarks()
{
    const char* keys[] = {
        RVSettings::kGraphsVelocityEnabled, RVSettings::kGraphsGSensorCommonEnabled,
        RVSettings::kGraphsGSensorXEnabled, RVSettings::kGraphsGSensorYEnabled,
        RVSettings::kGraphsGSensorZEnabled, RVSettings::kGraphsAltitudeEnabled};
    for (int tag = 0; tag < int(m_graphsItems.size()); ++tag) {
        // Stored as boolean numbers by older versions; any non-zero value is on.
        const QVariant value = RVSettings::store().value(QLatin1String(keys[tag]));
        m_graphsItems[tag]->setChecked(value.toInt() != 0 || value.toBool());
    }
}

void RVAppDelegate::buildMenus()
{
    QMenuBar* bar = window()->menuBar();
    auto addItem = [this](QMenu* menu, const QString& title, const char* name, auto slot) {
        QAction* item = menu->addAction(title);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, slot);
        return item;
    };

    //% "&File"
    QMenu* file = bar->addMenu(qtTrId("MENU_FILE"));
    file->setObjectName(QStringLiteral("menuFile"));
    //% "Open…"
    QAction* open = addItem(file, qtTrId("MENU_OPEN"), "openDocument", [this] { openDocument(); });
    open->setShortcut(QKeySequence::Open);
    //% "What's New"
    addItem(file, qtTrId("MENU_WHATS_NEW"), "whatsNew", [this] { whatsNewClicked(); });
    file->addSeparator();
    //% "Quit"
    QAction* quit = addItem(file, qtTrId("MENU_QUIT"), "quit", [this] { window()->close(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    //% "&Help"
    QMenu* help = bar->addMenu(qtTrId("MENU_HELP"));
    help->setObjectName(QStringLiteral("menuHelp"));
    QAction* about =
        addItem(help, qtTrId("MENU_ABOUT"), "about", [this] { RVAboutBox::show(window()); });
    about->setMenuRole(QAction::AboutRole);

    // The window's own key map handles the keys of these commands by their place on the
    // keyboard, whatever the layout; the menu items only show them (the text after a tab is
    // drawn as the shortcut) and carry no shortcut of their own, so the two never compete.
    auto withKey = [](const QString& title, QKeyCombination key) {
        return title + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
    };
    RVMainViewController* controller = m_mainViewController.get();
    //% "&Playback"
    m_menuPlayback = bar->addMenu(qtTrId("MENU_PLAYBACK"));
    m_menuPlayback->setObjectName(QStringLiteral("menuPlayback"));
    //% "Play / Pause"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_PLAY_PAUSE"), Qt::Key_Space), "playPause",
            [this] { playPauseClicked(); });
    //% "Fast Forward"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_FAST_FORWARD"), Qt::Key_L), "fastForward",
            [this] { fastForwardClicked(); });
    //% "Rewind"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_REWIND"), Qt::Key_J), "rewind",
            [this] { rewindClicked(); });
    m_menuPlayback->addSeparator();
    //% "Next Frame"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_NEXT_FRAME"), Qt::Key_N), "nextFrame",
            [this] { nextFrameClicked(); });
    //% "Previous Frame"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_PREVIOUS_FRAME"), Qt::Key_B), "prevFrame",
            [this] { prevFrameClicked(); });
    //% "Step Forward"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_STEP_FORWARD"), Qt::Key_Right), "stepForward",
            [this] { stepForwardClicked(); });
    //% "Step Backward"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_STEP_BACKWARD"), Qt::Key_Left), "stepBackward",
            [this] { stepBackwardClicked(); });
    //% "Go to Start"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_GO_TO_START"), Qt::Key_Home), "goToStart",
            [controller] { controller->goToStart(); });
    //% "Go to End"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_GO_TO_END"), Qt::Key_End), "goToEnd",
            [controller] { controller->goToEnd(); });
    m_menuPlayback->addSeparator();
    //% "Full Screen"
    addItem(m_menuPlayback, withKey(qtTrId("MENU_FULL_SCREEN"), Qt::Key_F11), "fullScreen",
            [controller] { controller->fullScreenPressed(); });
    //% "Save Still Picture…"
    m_makeScreenShot = addItem(m_menuPlayback, qtTrId("MENU_SCREENSHOT"), "makeScreenShot",
                               [this] { makeScreenShotClicked(); });
    //% "Zoom In"
    addItem(m_menuPlayback, qtTrId("MENU_ZOOM_IN"), "zoomIn", [this] { zoomInClicked(); });
    //% "Zoom Out"
    addItem(m_menuPlayback, qtTrId("MENU_ZOOM_OUT"), "zoomOut", [this] { zoomOutClicked(); });
    //% "Fit to Window"
    addItem(m_menuPlayback, qtTrId("MENU_FIT_TO_SIZE"), "fitToSize",
            [this] { fitToSizeClicked(); });

    // The window's camera views, with their own keys.
    if (QMenu* camera = m_mainViewController->cameraMenu())
        bar->addMenu(camera);

    //% "&Graphs"
    m_menuGraphs = bar->addMenu(qtTrId("MENU_GRAPHS"));
    m_menuGraphs->setObjectName(QStringLiteral("menuGraphs"));
    const struct
    {
        int tag;
        const char* titleKey;
        const char* name;
    } graphs[] = {{Velocity, "VELOCITY_TITLE", "menuItemVelocity"},
                  {Altitude, "ALTITUDE_TITLE", "menuItemAltitude"},
                  {GSensorCommon, "GSENSOR_TITLE", "menuItemGSensorCommon"},
                  {GSensorX, "GSENSOR_X_TITLE", "menuItemGSensorX"},
                  {GSensorY, "GSENSOR_Y_TITLE", "menuItemGSensorY"},
                  {GSensorZ, "GSENSOR_Z_TITLE", "menuItemGSensorZ"}};
    for (const auto& graph : graphs) {
        QAction* item = m_menuGraphs->addAction(qtTrId(graph.titleKey));
        item->setObjectName(QString::fromLatin1(graph.name));
        item->setCheckable(true);
        item->setData(graph.tag);
        connect(item, &QAction::triggered, this, [this, item] { graphsClicked(item); });
        m_graphsItems[graph.tag] = item;
    }

    //% "&Settings"
    QMenu* settings = bar->addMenu(qtTrId("MENU_SETTINGS"));
    settings->setObjectName(QStringLiteral("menuSettings"));
    //% "Language"
    m_menuLanguage = settings->addMenu(qtTrId("MENU_LANGUAGE"));
    m_menuLanguage->setObjectName(QStringLiteral("menuLanguage"));
    auto* languages = new QActionGroup(m_menuLanguage);
    for (const QString& code : RVLanguageUtil::supportedLanguages()) {
        QAction* item = m_menuLanguage->addAction(RVLanguageUtil::nativeName(code));
        item->setObjectName(QStringLiteral("language_") + code);
        item->setCheckable(true);
        item->setToolTip(code); // the item's language code
        languages->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { languageClicked(item); });
    }
    //% "Map"
    m_menuMapsProvider = settings->addMenu(qtTrId("MENU_MAP_PROVIDER"));
    m_menuMapsProvider->setObjectName(QStringLiteral("menuMapsProvider"));
    auto* providers = new QActionGroup(m_menuMapsProvider);
    // Each provider offered has a map page of the same name.
    for (const QString& name : RVMapView::availableProviders()) {
        QAction* item = m_menuMapsProvider->addAction(name); // the title is the provider name
        item->setObjectName(QStringLiteral("mapsProvider_") + name);
        item->setCheckable(true);
        providers->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { mapsProviderClicked(item); });
    }
    //% "Units"
    QMenu* units = settings->addMenu(qtTrId("MENU_UNITS"));
    units->setObjectName(QStringLiteral("menuUnits"));
    auto* unitGroup = new QActionGroup(units);
    //% "Metric (km/h, m)"
    m_menuItemMetric = units->addAction(qtTrId("MENU_UNITS_METRIC"));
    m_menuItemMetric->setObjectName(QStringLiteral("menuItemMetric"));
    //% "British (mph, ft)"
    m_menuItemBritish = units->addAction(qtTrId("MENU_UNITS_BRITISH"));
    m_menuItemBritish->setObjectName(QStringLiteral("menuItemBritish"));
    for (QAction* item : {m_menuItemMetric.data(), m_menuItemBritish.data()}) {
        item->setCheckable(true);
        unitGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { measurementSystemClicked(item); });
    }

    // The views show these menus on right click; they are handed over, never looked up.
    m_mainViewController->timeLine()->setPlaybackMenu(m_menuPlayback);
    m_mainViewController->timeLine()->setGraphsMenu(m_menuGraphs);
    m_mainViewController->playerView()->setPlaybackMenu(m_menuPlayback);
}

// Menu actions ------------------------------------------------------------------------------

void RVAppDelegate::mapsProviderClicked(QAction* item)
{
    for (QAction* other : m_menuMapsProvider->actions())
        other->setChecked(false);
    item->setChecked(true);
    m_mainViewController->setMapsProvider(item->text());
}

void RVAppDelegate::languageClicked(QAction* item)
{
    for (QAction* other : m_menuLanguage->actions())
        other->setChecked(false);
    item->setChecked(true);
    // Stored and written out at once; the language applies from the next launch.
    RVSettings::setAppleLanguages({item->toolTip()});
    //% "Restart required"
    const QString title = qtTrId("APPLY_SETTINGS_RESTART_TITLE");
    //% "The new language will be used the next time you start Korvela Player."
    dialogs()->alert(title, qtTrId("APPLY_SETTINGS_RESTART_MESSAGE"));
}

void RVAppDelegate::graphsClicked(QAction* item)
{
    const bool on = item->isChecked();
    switch (item->data().toInt(nullptr)) {
    case Velocity:
        m_mainViewController->setVelocityGraphEnabled(on);
        break;
    case GSensorCommon:
        m_mainViewController->setGSensorCommonGraphEnabled(on);
        break;
    case GSensorX:
        m_mainViewController->setGSensorXGraphEnabled(on);
        break;
    case GSensorY:
        m_mainViewController->setGSensorYGraphEnabled(on);
        break;
    case GSensorZ:
        m_mainViewController->setGSensorZGraphEnabled(on);
        break;
    case Altitude:
        m_mainViewController->setAltitudeGraphEnabled(on);
        break;
    default:
        break;
    }
    m_mainViewController->enabledGraphsUpdated();
}

void RVAppDelegate::measurementSystemClicked(QAction* item)
{
    const bool british = item == m_menuItemBritish;
    m_menuItemBritish->setChecked(british);
    m_menuItemMetric->setChecked(!british);
    m_mainViewController->setMeasurementSystem(british ? QStringLiteral("British")
                                                       : QStringLiteral("Metric"));
}

QString RVAppDelegate::whatsNewPath()
{
    return RVDataFiles::find(QStringLiteral("WhatsNew.txt"));
}

void RVAppDelegate::whatsNewClicked()
{
    // Shown by the desktop's text viewer; without the file or a viewer nothing happens.
    const QString path = whatsNewPath();
    if (!path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void RVAppDelegate::openDocument()
{
    m_mainViewController->addFileClicked();
}

void RVAppDelegate::playPauseClicked()
{
    m_mainViewController->playPauseToggle();
}

void RVAppDelegate::fastForwardClicked()
{
    m_mainViewController->forward();
}

void RVAppDelegate::rewindClicked()
{
    m_mainViewController->rewind();
}

void RVAppDelegate::nextFrameClicked()
{
    m_mainViewController->nextFrame();
}

void RVAppDelegate::prevFrameClicked()
{
    m_mainViewController->prevFrame();
}

void RVAppDelegate::stepForwardClicked()
{
    m_mainViewController->goForward();
}

void RVAppDelegate::stepBackwardClicked()
{
    m_mainViewController->goBack();
}

void RVAppDelegate::makeScreenShotClicked()
{
    m_mainViewController->screenShotClicked();
}

void RVAppDelegate::zoomInClicked()
{
    m_mainViewController->zoomInClicked();
}

void RVAppDelegate::zoomOutClicked()
{
    m_mainViewController->zoomOutClicked();
}

void RVAppDelegate::fitToSizeClicked()
{
    m_mainViewController->originalSizeClicked();
}

// Dialogs -----------------------------------------------------------------------------------

std::shared_ptr<RVWindowDialogs> RVAppDelegate::dialogs()
{
    if (m_options.dialogs)
        return m_options.dialogs;
    return std::make_shared<RVWidgetDialogs>(window());
}
