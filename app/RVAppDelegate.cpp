#include "app/RVAppDelegate.h"

#include "app/RVAboutBox.h"
#include "app/RVDataFiles.h"
#include "app/RVMenuMnemonics.h"
#include "core/RVSettings.h"
#include "export/RVLanguageUtil.h"
#include "library/RVTripShapes.h"
#include "library/RVVideoList.h"
#include "metadata/RVCameraClock.h"
#include "player/files/RVFileViewer.h"
#include "player/map/RVMapView.h"
#include "player/window/RVCardMap.h"
#include "player/window/RVEventsPanel.h"
#include "player/window/RVMainViewController.h"
#include "player/window/RVMapHandOver.h"
#include "player/window/RVShortcutList.h"
#include "player/window/RVTrackImportCommand.h"
#include "player/window/RVTripShapeCommand.h"
#include "player/window/RVWidgetDialogs.h"
#include "player/window/RVWindowActions.h"
#include "timeline/RVTimeSlider2.h"
#include "views/RVPlayerView.h"

#include "korvela_version.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
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

namespace {
constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 534;

// The menus keep the id of their text, so that a change of language can look it up again.
// The window's commands (RVWindowActions) translate themselves.
constexpr const char* kTextIdProperty = "korvelaTextId";

QString menuText(const QAction* item)
{
    return qtTrId(item->property(kTextIdProperty).toByteArray().constData());
}

QAction* withTextId(QAction* item, const char* textId)
{
    item->setProperty(kTextIdProperty, QByteArray(textId));
    item->setText(menuText(item));
    return item;
}

template <typename Parent>
QMenu* addMenu(Parent* parent, const char* textId)
{
    QMenu* menu = parent->addMenu(qtTrId(textId));
    withTextId(menu->menuAction(), textId);
    return menu;
}
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

    // The camera clock corrections and the trips split or joined by hand, as kept: the list
    // dates and groups the cards by them from its first scan on.
    RVCameraClock::loadRules();
    RVTripShapes::load();

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
        item->setChecked(item->data().toString() == provider);

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
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator.get());
    m_qtTranslator.reset();
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
        m_mainViewController->setGraphEnabled(RVGraph::Velocity, true);
        m_mainViewController->setGraphEnabled(RVGraph::GSensorCommon, true);
        m_mainViewController->enabledGraphsUpdated();
        m_mainViewController->setMeasurementSystem(QString::fromLatin1(RVSettings::kMetric));
    }
    // The check marks follow what is stored on every launch, the first included, so the menu
    // never shows a graph as off while the slider draws it.
    updateGraphsCheckMarks();
}

void RVAppDelegate::updateGraphsCheckMarks()
{
    for (const RVGraphDescription& graph : RVGraphs::all())
        m_graphsItems[int(graph.graph)]->setChecked(RVSettings::boolValue(graph.settingsKey));
}

void RVAppDelegate::buildMenus()
{
    QMenuBar* bar = window()->menuBar();
    auto addItem = [this](QMenu* menu, const char* textId, const char* name, auto slot) {
        QAction* item = withTextId(menu->addAction(QString()), textId);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, slot);
        return item;
    };

    //% "&File"
    QMenu* file = addMenu(bar, "MENU_FILE");
    file->setObjectName(QStringLiteral("menuFile"));
    //% "&Open…"
    QAction* open = addItem(file, "MENU_OPEN", "openDocument", [this] { openDocument(); });
    open->setShortcut(QKeySequence::Open);
    file->addAction(m_mainViewController->actions()->action(RVWindowCommand::ExportClip));
    file->addAction(m_mainViewController->trackImport()->importAction());
    file->addAction(m_mainViewController->trackImport()->removeAction());
    //% "&What's New"
    addItem(file, "MENU_WHATS_NEW", "whatsNew", [this] { whatsNewClicked(); });
    file->addSeparator();
    //% "&Quit"
    QAction* quit = addItem(file, "MENU_QUIT", "quit", [this] { window()->close(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    // Undo and Redo name the step they take back or make again; the trip items act on the
    // selected row.
    //% "&Edit"
    QMenu* edit = addMenu(bar, "MENU_EDIT");
    edit->setObjectName(QStringLiteral("menuEdit"));
    RVTripShapeCommand* shapes = m_mainViewController->tripShapes();
    edit->addActions({shapes->undoAction(), shapes->redoAction()});
    edit->addSeparator();
    edit->addActions({shapes->splitAction(), shapes->joinAction()});
    connect(edit, &QMenu::aboutToShow, shapes,
            [this, shapes] { shapes->aim(m_mainViewController->selectedVideoData()); });

    // The window's commands, the same actions its keys and buttons trigger.
    //% "&Playback"
    m_menuPlayback = addMenu(bar, "MENU_PLAYBACK");
    m_menuPlayback->setObjectName(QStringLiteral("menuPlayback"));
    using C = RVWindowCommand;
    const RVWindowActions* actions = m_mainViewController->actions();
    for (const C command :
         {C::PlayPause, C::FastForward, C::Rewind, C::NextFrame, C::PreviousFrame, C::StepForward,
          C::StepBackward, C::GoToStart, C::GoToEnd, C::NextEvent, C::PreviousEvent, C::FullScreen,
          C::Still, C::ZoomIn, C::ZoomOut, C::FitToWindow, C::MarkIn, C::MarkOut, C::ClearMarks}) {
        if (command == C::NextFrame || command == C::NextEvent || command == C::FullScreen ||
            command == C::MarkIn)
            m_menuPlayback->addSeparator();
        m_menuPlayback->addAction(actions->action(command));
    }

    // The window's camera views, with their own keys.
    if (QMenu* camera = m_mainViewController->cameraMenu())
        bar->addMenu(camera);

    // What the window shows besides the video.
    //% "&View"
    QMenu* view = addMenu(bar, "MENU_VIEW");
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(m_mainViewController->eventsPanel()->toggleAction());
    view->addAction(m_mainViewController->cardMap()->toggleAction());

    //% "&Graphs"
    m_menuGraphs = addMenu(bar, "MENU_GRAPHS");
    m_menuGraphs->setObjectName(QStringLiteral("menuGraphs"));
    for (const RVGraphDescription& graph : RVGraphs::all()) {
        QAction* item = withTextId(m_menuGraphs->addAction(QString()), graph.titleId);
        item->setObjectName(QString::fromLatin1(graph.menuItemName));
        item->setCheckable(true);
        item->setData(int(graph.graph)); // the tag
        connect(item, &QAction::triggered, this, [this, item] { graphsClicked(item); });
        m_graphsItems[int(graph.graph)] = item;
    }

    //% "&Settings"
    QMenu* settings = addMenu(bar, "MENU_SETTINGS");
    settings->setObjectName(QStringLiteral("menuSettings"));
    //% "&Language"
    m_menuLanguage = addMenu(settings, "MENU_LANGUAGE");
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
    //% "&Map"
    m_menuMapsProvider = addMenu(settings, "MENU_MAP_PROVIDER");
    m_menuMapsProvider->setObjectName(QStringLiteral("menuMapsProvider"));
    auto* providers = new QActionGroup(m_menuMapsProvider);
    // Each provider offered has a map page of the same name.
    for (const QString& name : RVMapView::availableProviders()) {
        // The title is the provider name; its mnemonic is added to the title only.
        QAction* item = m_menuMapsProvider->addAction(name);
        item->setData(name);
        item->setObjectName(QStringLiteral("mapsProvider_") + name);
        item->setCheckable(true);
        providers->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { mapsProviderClicked(item); });
    }
    //% "&Units"
    QMenu* units = addMenu(settings, "MENU_UNITS");
    units->setObjectName(QStringLiteral("menuUnits"));
    auto* unitGroup = new QActionGroup(units);
    //% "&Metric (km/h, m)"
    m_menuItemMetric = withTextId(units->addAction(QString()), "MENU_UNITS_METRIC");
    m_menuItemMetric->setObjectName(QStringLiteral("menuItemMetric"));
    //% "&British (mph, ft)"
    m_menuItemBritish = withTextId(units->addAction(QString()), "MENU_UNITS_BRITISH");
    m_menuItemBritish->setObjectName(QStringLiteral("menuItemBritish"));
    for (QAction* item : {m_menuItemMetric.data(), m_menuItemBritish.data()}) {
        item->setCheckable(true);
        unitGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { measurementSystemClicked(item); });
    }

    // Help comes last, as on every desktop.
    //% "&Help"
    QMenu* help = addMenu(bar, "MENU_HELP");
    help->setObjectName(QStringLiteral("menuHelp"));
    //% "&Report an Unread Camera…"
    addItem(help, "MENU_REPORT_UNREAD_CAMERA", "reportUnreadCamera",
            [this] { m_mainViewController->reportUnreadCamera(); });
    //% "&Keyboard Shortcuts"
    addItem(help, "MENU_SHORTCUTS", "keyboardShortcuts", [this] {
        // Read when asked, so the list shows the keys and texts of this moment.
        RVShortcutList::makeDialog(
            window(),
            RVShortcutList::collect(window()->menuBar(), m_mainViewController->actions()->all()))
            ->show();
    });
    help->addSeparator();
    //% "&About Korvela Player"
    QAction* about = addItem(help, "MENU_ABOUT", "about", [this] { RVAboutBox::show(window()); });
    about->setMenuRole(QAction::AboutRole);

    // The views show these menus on right click; they are handed over, never looked up.
    m_mainViewController->timeLine()->setPlaybackMenu(m_menuPlayback);
    m_mainViewController->timeLine()->setGraphsMenu(m_menuGraphs);
    m_mainViewController->playerView()->setPlaybackMenu(m_menuPlayback);

    // Texts that are not the menus' own (graph titles, camera, language and provider names)
    // get their letters here, as does any translation that gives none.
    RVMenuMnemonics::assign(bar);
}

// Menu actions ------------------------------------------------------------------------------

void RVAppDelegate::mapsProviderClicked(QAction* item)
{
    for (QAction* other : m_menuMapsProvider->actions())
        other->setChecked(false);
    item->setChecked(true);
    m_mainViewController->map()->setMapsProvider(item->data().toString());
}

void RVAppDelegate::languageClicked(QAction* item)
{
    for (QAction* other : m_menuLanguage->actions())
        other->setChecked(false);
    item->setChecked(true);
    // Stored and written out at once, and applied now: nothing waits for a restart.
    RVSettings::setAppleLanguages({item->toolTip()});
    const QString code = RVLanguageUtil::chooseLanguage({item->toolTip()});
    if (code == m_language)
        return;
    m_language = code;
    installTranslator();
    retranslateMenus();
    m_mainViewController->retranslate();
    RVMenuMnemonics::assign(window()->menuBar());
}

void RVAppDelegate::retranslateMenus()
{
    QMenuBar* bar = window()->menuBar();
    for (QAction* item : bar->findChildren<QAction*>()) {
        const QByteArray id = item->property(kTextIdProperty).toByteArray();
        if (!id.isEmpty())
            item->setText(menuText(item));
    }
}

void RVAppDelegate::graphsClicked(QAction* item)
{
    // An item without a graph's tag sets nothing.
    const int tag = item->data().toInt(nullptr);
    if (tag >= 0 && tag < RVGraphs::kCount)
        m_mainViewController->setGraphEnabled(RVGraph(tag), item->isChecked());
    m_mainViewController->enabledGraphsUpdated();
}

void RVAppDelegate::measurementSystemClicked(QAction* item)
{
    const bool british = item == m_menuItemBritish;
    m_menuItemBritish->setChecked(british);
    m_menuItemMetric->setChecked(!british);
    m_mainViewController->setMeasurementSystem(
        QString::fromLatin1(british ? RVSettings::kBritish : RVSettings::kMetric));
}

QString RVAppDelegate::whatsNewPath()
{
    return RVDataFiles::find(QStringLiteral("WhatsNew.txt"));
}

void RVAppDelegate::whatsNewClicked()
{
    // Shown by the desktop's text viewer. Without the file, or without a program to open it,
    // the user is told rather than left wondering whether the click was taken.
    const QString path = whatsNewPath();
    if (!path.isEmpty() && RVFileViewer::openFile(path))
        return;
    //% "Error"
    const QString title = qtTrId("ERROR_TITLE");
    //% "The notes on this version are not installed."
    QString text = qtTrId("ERROR_WHATS_NEW_MISSING");
    if (!path.isEmpty()) {
        //% "No program is set up to open the notes on this version. They are in %1"
        text = qtTrId("ERROR_CANT_OPEN_WHATS_NEW");
        text = text.contains(QLatin1String("%1")) ? text.arg(QDir::toNativeSeparators(path))
                                                  : text + QLatin1Char(' ') + path;
    }
    dialogs()->alert(title, text);
}

void RVAppDelegate::openDocument()
{
    m_mainViewController->addFileClicked();
}

// Dialogs -----------------------------------------------------------------------------------

std::shared_ptr<RVWindowDialogs> RVAppDelegate::dialogs()
{
    if (m_options.dialogs)
        return m_options.dialogs;
    return std::make_shared<RVWidgetDialogs>(window());
}
