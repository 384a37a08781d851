#include "player/window/RVMainViewController.h"

#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "player/files/RVThumbnailPopover.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/map/RVMapBridge.h"
#include "player/map/RVMapView.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"
#include "player/video/RVScreenSaverInhibitor.h"
#include "player/video/RVTripPlayback.h"
#include "player/video/RVVideoScrollView.h"
#include "player/video/RVVideoZoom.h"
#include "player/window/RVAdvertisementPanel.h"
#include "player/window/RVCardMap.h"
#include "player/window/RVClipCommand.h"
#include "player/window/RVClockProposalBar.h"
#include "player/window/RVEventsPanel.h"
#include "player/window/RVExportMenu.h"
#include "player/window/RVFullScreenOverlay.h"
#include "player/window/RVMapHandOver.h"
#include "player/window/RVSavePanel.h"
#include "player/window/RVStillCommand.h"
#include "player/window/RVThumbnailHover.h"
#include "player/window/RVTrackImportCommand.h"
#include "player/window/RVTripShapeCommand.h"
#include "player/window/RVUpdateDialogs.h"
#include "player/window/RVWidgetDialogs.h"
#include "player/window/RVWindowActions.h"
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUnits.h"
#include "views/RVMainView.h"
#include "views/RVPlayerView.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QtDebug>

RVMainViewController::RVMainViewController(std::shared_ptr<RVWindowDialogs> dialogs,
                                           QObject* parent)
    : QObject(parent), m_dialogs(std::move(dialogs))
{}

RVMainViewController::~RVMainViewController()
{
    // The thumbnail worker calls back; it stops first. The parts acting on the player go
    // before it.
    m_thumbnails.reset();
    // A running clip export is cancelled and its thread joined.
    m_clips.reset();
    m_exports.reset();
    m_stills.reset();
    m_savePanel.reset();
    m_zoom.reset();
    // The window's views call back into this controller; they go first. The video widget
    // frees its render context before the player's mpv handle goes with the player. The
    // updater goes before them all: its background work ends and it asks nothing more.
    m_updater.reset();
    if (m_window) {
        m_filesView->setControllerDelegate(nullptr);
        m_mainView->setDelegate(nullptr);
        m_playerView->setDelegate(nullptr);
        m_timeLine->setDelegate(nullptr);
        delete m_window;
    }
    m_playback.reset();
    delete m_player;
}

void RVMainViewController::loadView(std::shared_ptr<RVVideoList> videoList)
{
    if (m_window)
        return;
    // The update check is started here once the updater exists.

    m_player = new RVMpvPlayer;
    if (!m_player->isValid())
        qWarning().noquote() << "Cannot create the media player:" << m_player->errorString();
    // While a trip plays (forward, backward or fast), the screen stays on.
    m_screenSaver = new RVScreenSaverInhibitor(QDBusConnection::sessionBus(), this);
    connect(m_player, &RVMpvPlayer::rateChanged, m_screenSaver,
            [this](double rate) { m_screenSaver->setInhibited(rate != 0.0); });
    buildWindow();
    if (!m_dialogs)
        m_dialogs = std::make_shared<RVWidgetDialogs>(m_window);

    m_videoList = videoList ? std::move(videoList) : std::make_shared<RVVideoList>();
    connect(m_videoList.get(), &RVVideoList::videoListUpdated, this,
            &RVMainViewController::videoListUpdated);
    connect(m_videoList.get(), &RVVideoList::metaInfoUpdated, this,
            &RVMainViewController::metaInfoUpdated);
    // Progress arrives from pool threads; the queued connection brings it to this thread.
    connect(m_videoList.get(), &RVVideoList::metaScanProgress, this,
            &RVMainViewController::updateReadingProgress, Qt::QueuedConnection);
    connect(m_videoList.get(), &RVVideoList::noRecordingsFoundIn, this,
            &RVMainViewController::noRecordingsFoundIn, Qt::QueuedConnection);

    // The update check and the advertisement panel talk to the maker's server.
    m_updateDialogs = std::make_unique<RVUpdateDialogs>(m_dialogs, m_window);
    setUpUpdater();
    if (!m_advertisementServer.isEmpty())
        m_advertisement =
            new RVAdvertisementPanel(*m_advertisementContainer, m_advertisementServer, this);

    // The file list: this controller is its data source's owner, delegate and controller
    // delegate; the initial sort is the date column's, oldest first.
    m_filesView->setControllerDelegate(this);
    connect(m_filesView, &QAbstractItemView::clicked, this, [this] { rowClicked(); });
    connect(m_filesView, &QAbstractItemView::doubleClicked, this, [this] { rowDoubleClicked(); });
    connect(m_filesModel, &RVVideoOutlineViewModel::sortRequested, this,
            [this](const QString& key, bool ascending) {
                RVSortKey sortKey;
                sortKey.ascending = ascending;
                sortKey.field = key == QLatin1String("name")       ? RVSortKey::Field::Name
                                : key == QLatin1String("duration") ? RVSortKey::Field::Duration
                                                                   : RVSortKey::Field::Created;
                m_videoList->sortVideoList({sortKey});
                reloadFilesView();
            });
    m_filesView->header()->setSortIndicator(RVVideoOutlineViewModel::ColumnDate,
                                            Qt::AscendingOrder);
    m_filesView->setSortingEnabled(true);
    // The lock column has no sort key: clicking its header keeps the current sort.
    connect(m_filesView->header(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder) {
                if (!RVVideoOutlineViewModel::sortKeyOfColumn(column).isEmpty())
                    m_lastSortColumn = column;
                else
                    m_filesView->header()->setSortIndicator(
                        m_lastSortColumn, m_filesView->header()->sortIndicatorOrder());
            });
    m_filesModel->setModeFilter(
        RVRecordingModeLook::filterFromKey(RVSettings::textValue(RVSettings::kFileListModeFilter)));
    m_modeFilterBox->setCurrentIndex(m_modeFilterBox->findData(int(m_filesModel->modeFilter())));
    connect(m_modeFilterBox, &QComboBox::activated, this, [this](int index) {
        setModeFilter(RVModeFilter(m_modeFilterBox->itemData(index).toInt()));
    });
    connect(m_addVideoButton, &QPushButton::clicked, this, [this] { addFileClicked(); });
    connect(m_removeVideoButton, &QPushButton::clicked, this, [this] { removeFileClicked(); });
    connect(m_revealInFinderMenuItem, &QAction::triggered, this, [this] { revealInFinder(); });

    m_timeLine->setDelegate(this);
    m_playerView->setDelegate(this);
    m_mainView->setDelegate(this);
    connectPlayer();
    buildCameraMenu();
    loadSettings();
    setUpParts();
    initLanguage();
    fitFileListColumns();
    refreshGraphs();
    showRate(m_player->rate());
    setPlaybackControlsEnabled(false);
    videoListUpdatedAtMainThread();
    m_window->setAcceptDrops(true);
    m_window->installEventFilter(this);
    m_mainView->setFocus();
}

void RVMainViewController::setUpParts()
{
    m_zoom = std::make_unique<RVVideoZoom>(*m_player, *m_playerScrollView);
    m_savePanel = std::make_unique<RVSavePanel>(*m_player, *m_playback, m_dialogs);
    m_stills = std::make_unique<RVStillCommand>(
        *m_player, *m_playback, m_dialogs,
        [this](const QString& name) {
            return m_savePanel->choose(name, QStringLiteral("jpeg"), RVSettings::kLastStillFolder,
                                       QStandardPaths::PicturesLocation);
        },
        [this] { return m_map->bridge()->pointAt(m_timeLine->progress()); });
    m_exports = std::make_unique<RVExportMenu>(
        *m_videoList, *m_savePanel, m_dialogs, [this] { return nodeForCommand(); },
        [this](const QString& text) { showStatusMessage(text); });
    connect(m_exportToGpxMenuItem, &QAction::triggered, this, [this] { m_exports->exportGpx(); });
    connect(m_exportToKmlMenuItem, &QAction::triggered, this, [this] { m_exports->exportKml(); });
    connect(m_exportToExcelMenuItem, &QAction::triggered, this,
            [this] { m_exports->exportTables(); });
    m_trackImport = std::make_unique<RVTrackImportCommand>(
        *m_videoList, m_dialogs, [this] { return nodeForCommand(); },
        [this](const QString& text) { showStatusMessage(text); }, m_window.data());
    m_clips = std::make_unique<RVClipCommand>(
        *m_playback, *m_timeLine, *m_actions, *m_window, m_dialogs,
        [this](const QString& text) { showStatusMessage(text); },
        [this] { return RVSettings::isBritish(m_measurementSystem); });
    m_clips->setChosenEvent([this] { return m_events->chosen(); });
    m_tripShapes = new RVTripShapeCommand(*m_videoList, this);
    m_filesView->setTripMenuActions({m_tripShapes->splitAction(), m_tripShapes->joinAction()});
    connect(m_filesView, &RVVideoOutlineView::menuOpening, m_tripShapes, &RVTripShapeCommand::aim);
    m_thumbnails = std::make_unique<RVThumbnailHover>(*m_playback, *m_timeLine, m_window);
    // The read-outs stay readable while the pointer is over the slider's right end.
    m_thumbnails->popover()->setKeepClear(m_velocity->parentWidget());

    // The stored provider's map page ("MapsProvider", or the build's default) loads in the
    // background from here on.
    m_map = new RVMapHandOver(*m_mapWebView, *m_videoList, *m_timeLine, *m_velocity,
                              *m_altitudeLabel, m_measurementSystem, this);
    RVMapBridge* bridge = m_map->bridge();
    connect(bridge, &RVMapBridge::graphClicked, this, &RVMainViewController::graphClicked);
    connect(bridge, &RVMapBridge::playPauseRequested, this, &RVMainViewController::playPauseToggle);
    connect(bridge, &RVMapBridge::fullScreenToggleRequested, this,
            [this] { fullScreenClick(false); });
    m_map->setMapsProvider(RVMapView::mapsProvider());
    m_cardMap = std::make_unique<RVCardMap>(*m_mapWebView, *m_map, *m_videoList, *m_playback,
                                            [this] { return m_measurementSystem; });
}

bool RVMainViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    auto localPaths = [](const QMimeData* mime) {
        QStringList paths;
        if (mime && mime->hasUrls()) {
            for (const QUrl& url : mime->urls()) {
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            }
        }
        return paths;
    };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!localPaths(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = localPaths(drop->mimeData());
        if (paths.isEmpty())
            return false;
        drop->acceptProposedAction();
        addFiles(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void RVMainViewController::loadSettings()
{
    for (const RVGraphDescription& graph : RVGraphs::all())
        setGraphEnabled(graph.graph, RVSettings::boolValue(graph.settingsKey));
    m_measurementSystem = RVSettings::measurementSystem();
}

QString RVMainViewController::speedUnit() const
{
    if (RVSettings::isBritish(m_measurementSystem)) {
        //% "mph"
        return qtTrId("MILES_PER_HOUR");
    }
    //% "km/h"
    return qtTrId("KM_PER_HOUR");
}

// Library callbacks -----------------------------------------------------------------------

void RVMainViewController::videoListUpdated()
{
    // The list emits from a pool thread; the connection queues this to the GUI thread, and a
    // direct call from elsewhere is re-dispatched the same way.
    QMetaObject::invokeMethod(this, &RVMainViewController::videoListUpdatedAtMainThread,
                              Qt::QueuedConnection);
}

void RVMainViewController::videoListUpdatedAtMainThread()
{
    reloadFilesView();
    // With the date sort, keep the newest recordings in sight.
    QHeaderView* header = m_filesView->header();
    const int rows = m_filesModel->rowCount();
    if (header->sortIndicatorSection() == RVVideoOutlineViewModel::ColumnDate && rows > 0) {
        const int row = header->sortIndicatorOrder() == Qt::AscendingOrder ? rows - 1 : 0;
        m_filesView->scrollTo(m_filesModel->index(row, 0));
    }
}

void RVMainViewController::metaInfoUpdated()
{
    // Before the route: the map draws the events with it.
    showEvents();
    m_timeLine->setGSensorData(m_videoList->gSensorData());
    m_timeLine->setVelocityData(m_videoList->velocityData());
    m_timeLine->setPoints(m_videoList->points());
    m_timeLine->update();
    m_map->drawRoute();
    if (m_clockProposal)
        m_clockProposal->offerFor(selectedVideoData());
}

// Graphs and units -------------------------------------------------------------------------

void RVMainViewController::refreshGraphs()
{
    for (const RVGraphDescription& graph : RVGraphs::all())
        m_timeLine->setGraphEnabled(graph.graph, graphEnabled(graph.graph));
    m_timeLine->update();
}

void RVMainViewController::enabledGraphsUpdated()
{
    {
        // One store object: the file is written once for all six.
        QSettings store = RVSettings::store();
        for (const RVGraphDescription& graph : RVGraphs::all())
            store.setValue(QLatin1String(graph.settingsKey), graphEnabled(graph.graph));
    }
    refreshGraphs();
}

void RVMainViewController::setMeasurementSystem(const QString& system)
{
    m_measurementSystem = system;
    RVSettings::setText(RVSettings::kMeasurementSystem, system);
    m_map->setMeasurementSystem(system);
    m_filesModel->setMeasurementSystem(RVUnits::storedSystem());
    showEvents(); // speeds in the new units
    // Paused there is no next tick: the graphs and the read-outs change now.
    m_timeLine->update();
    if (m_timeLine->progress() >= 0)
        m_map->showPosition();
}

// View events ------------------------------------------------------------------------------

void RVMainViewController::click()
{
    playPauseToggle();
}

void RVMainViewController::doubleClick()
{
    playPauseToggle();
    fullScreenClick(false);
}

void RVMainViewController::keyPressed(RVViewKey key)
{
    m_actions->triggerKey(key);
}

void RVMainViewController::fullScreenClick(bool exitOnly)
{
    // The window itself goes full screen with everything but the video hidden; the video's GL
    // widget stays where it is (re-parenting it would recreate its render context). The
    // read-outs and the playback controls come up over the video when the mouse moves.
    QList<QWidget*> windowModeOnly{m_fileViewContainer, m_mapContainer, m_window->statusBar()};
    if (QWidget* menus = m_window->menuWidget()) // the application's menus, if any
        windowModeOnly << menus;
    if (m_window->isFullScreen()) {
        m_fullScreen->leave();
        for (QWidget* widget : windowModeOnly)
            widget->show();
        if (m_wasMaximized)
            m_window->showMaximized();
        else
            m_window->showNormal();
        restoreLayoutState(m_splitterState);
        m_zoom->magnify(0.0);
        m_mainView->setFocus();
        return;
    }
    if (exitOnly)
        return;
    m_wasMaximized = m_window->isMaximized();
    m_splitterState = layoutState();
    for (QWidget* widget : windowModeOnly)
        widget->hide();
    m_fullScreen->enter({m_velocity->parentWidget(), m_playbackControlsContainer});
    m_window->showFullScreen();
    m_mainView->setFocus();
}
