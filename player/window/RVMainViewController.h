#pragma once

#include "library/RVVideoData.h"
#include "player/files/RVRecordingModeLook.h"
#include "player/video/RVViewLayout.h"
#include "timeline/RVGraphs.h"
#include "update/RVUpdater.h"
#include "views/RVPlayerViewDelegate.h"

#include <QImage>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QImage;
class QLabel;
class QMenu;

class QProgressBar;
class QPushButton;
class QSplitter;
class QToolButton;
class QWidget;
class RVAdvertisementPanel;
class RVAvertisementView;
class RVCardMap;
class RVClipCommand;
class RVClockProposalBar;
class RVColumnFit;
class RVEventsPanel;
class RVExportMenu;
class RVFullScreenOverlay;
class RVGridLoadWatch;
class RVUpdateDialogs;
class RVWindowDialogs;
class RVMainView;
class RVMapHandOver;
class RVMapView;
class RVSavePanel;
class RVScreenSaverInhibitor;
class RVStillCommand;
class RVMpvPlayer;
class RVMpvVideoWidget;
class RVPlayerView;
class RVThumbnailHover;
class RVTrackImportCommand;
class RVTimeSlider2;
class RVTripPlayback;
class RVTripShapeCommand;
class RVVideoList;
struct RVDeleteResult;
class RVVideoOutlineView;
class RVVideoOutlineViewModel;
class RVVideoScrollView;
class RVVideoZoom;
class RVWindowActions;

// The controller of the player window. It owns the window and every part of it: the one
// media player, the library model, the file list, the time slider, the video area and the
// (later) map page, and every view of the window reports to it through RVPlayerViewDelegate.
//
// The playing node (a trip or a single recording) is RVTripPlayback's; the controller hands it
// the views' commands and shows what it reports: the slider follows its trip time.
//
// Its work is split by role over several source files: construction and window layout
// (RVMainViewController.cpp, RVMainViewControllerLayout.cpp), wiring the playback to the
// views (RVMainViewControllerPlayback.cpp), the file list's commands
// (RVMainViewControllerFiles.cpp), the camera views (RVMainViewControllerViews.cpp) and the
// update check (RVMainViewControllerServer.cpp). Parts with one role of their own are their
// own classes: zoom (RVVideoZoom), stills (RVStillCommand), the save panel (RVSavePanel), the
// exports (RVExportMenu), the map page (RVMapHandOver), the hover thumbnails
// (RVThumbnailHover) and the advertisement panel (RVAdvertisementPanel). Everything runs on
// the GUI thread; only the thumbnails are made on a worker thread of their own.
class RVMainViewController final : public QObject, public RVPlayerViewDelegate
{
    Q_OBJECT

public:
    // The window is built by loadView(). Dialogs: null uses Qt's message boxes and file
    // dialogs; tests pass scripted ones.
    explicit RVMainViewController(std::shared_ptr<RVWindowDialogs> dialogs = nullptr,
                                  QObject* parent = nullptr);
    ~RVMainViewController() override;

    // Builds the window and its parts, wires them, and reads the stored graph and unit
    // settings. Optionally with a video list made by the caller (tests give one that watches
    // no cards); null creates the usual one.
    void loadView(std::shared_ptr<RVVideoList> videoList = nullptr);
    QMainWindow* window() const { return m_window; }

    // Talking to the maker's server; both are set before loadView. With an environment,
    // loadView creates the updater and starts the update check (without one, as in most tests,
    // there is none). With a server address (https), loadView loads the advertisement panel's
    // page from it; without one the panel stays empty and out of sight.
    void setUpdaterEnvironment(RVUpdaterEnvironment environment);
    void setAdvertisementServer(const QString& serverUrl);

    // Playback. With nothing playing, play starts the selected row.
    RVTripPlayback* playback() const { return m_playback.get(); }
    void playPauseToggle();
    // A note on the status bar (and in the log) that goes after a while.
    void showStatusMessage(const QString& text);

    // Library callbacks.
    void videoListUpdated();
    void videoListUpdatedAtMainThread();
    void metaInfoUpdated();

    // Graphs and units.
    void enabledGraphsUpdated();
    void refreshGraphs();
    void setMeasurementSystem(const QString& system);
    // Puts the texts of the installed translation on everything the window shows now: tool
    // tips, buttons, list headers and menus, the read-outs and the graph titles.
    void retranslate();
    const QString& measurementSystem() const { return m_measurementSystem; }

    // The map page (its provider, route and car).
    RVMapHandOver* map() const { return m_map; }
    // Which graphs the slider shows, mirrors of the stored settings (enabledGraphsUpdated
    // stores them).
    bool graphEnabled(RVGraph graph) const { return m_graphsEnabled[int(graph)]; }
    void setGraphEnabled(RVGraph graph, bool on) { m_graphsEnabled[int(graph)] = on; }

    // File list commands.
    void rowClicked();
    void rowDoubleClicked();
    void addFileClicked();
    // The add command for given paths (command line, drops): files and folders.
    void addFiles(const QStringList& paths);
    void removeFileClicked();
    void revealInFinder();
    // Saves the probe of the selected recording's files where the user picks (Help menu).
    void reportUnreadCamera();
    // Shows only the recordings of one mode (trips holding any), keeps the choice in the
    // settings, and keeps the selected and open rows that stay in the list.
    void setModeFilter(RVModeFilter filter);
    QComboBox* modeFilterBox() const { return m_modeFilterBox; }

    // Camera views (RVMainViewControllerViews.cpp). The Camera menu is the window's; the
    // application puts it into the menu bar.
    QMenu* cameraMenu() const { return m_cameraMenu; }
    void setViewChoice(const RVViewChoice& choice);
    // With two views shown, the second becomes the main one.
    void swapViews();

    // Full screen shows only the video; exitOnly leaves it but never enters it.
    void fullScreenClick(bool exitOnly);

    // The commands menus, keys and buttons share; the application puts them into its menus.
    RVWindowActions* actions() const { return m_actions; }
    // The events of the playing trip under the file list; its toggle goes into the View menu.
    RVEventsPanel* eventsPanel() const { return m_events; }
    // The whole card on the map; its toggle goes into the View menu.
    RVCardMap* cardMap() const { return m_cardMap.get(); }
    // Split, join, Undo and Redo of trips; the application puts them into its Edit menu.
    RVTripShapeCommand* tripShapes() const { return m_tripShapes; }
    // Importing a track of another device and removing it; its actions go into the File menu.
    RVTrackImportCommand* trackImport() const { return m_trackImport.get(); }

    // RVPlayerViewDelegate.
    void doubleClick() override;
    void click() override;
    void keyPressed(RVViewKey key) override;
    void graphClicked(double fraction) override;
    void showThumbnailAtProgress(double fraction) override;
    void showPopover() override;
    void hidePopover() override;
    void magnification(double factor) override;
    void lockClicked(RVVideoDataPtr node) override;
    void unlockClicked(RVVideoDataPtr node) override;
    void removeClicked(RVVideoDataPtr node) override;

    // State the window and tests look at.
    RVVideoList* videoList() const { return m_videoList.get(); }
    RVMpvPlayer* player() const { return m_player; }
    // The splitters and the file list's columns as the user left them; empty in full screen.
    QByteArray layoutState() const;
    // Applies a state from layoutState(); anything else leaves the layout as it is.
    void restoreLayoutState(const QByteArray& state);
    RVTimeSlider2* timeLine() const { return m_timeLine; }
    RVThumbnailHover* thumbnails() const { return m_thumbnails.get(); }
    RVPlayerView* playerView() const { return m_playerView; }
    RVClockProposalBar* clockProposal() const { return m_clockProposal; }
    RVClipCommand* clips() const { return m_clips.get(); }
    RVVideoOutlineView* filesView() const { return m_filesView; }
    RVVideoOutlineViewModel* filesModel() const { return m_filesModel; }
    QPushButton* playPauseButton() const { return m_playPauseButton; }
    // The node of the selected row, null with no selection.
    RVVideoDataPtr selectedVideoData() const;
    int selectedRow() const;
    void selectRow(int row);

protected:
    // Files and folders dropped on the window are added like the open command adds them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A delete has ended on the list's workers: the list is shown again near the row that was
    // selected, and what stayed on the disk is named.
    void deleteFinished(int row, const RVDeleteResult& result);
    // Construction.
    void buildWindow();
    void initLanguage();
    void updateHiddenGraphsNote();
    // Sizes the list's columns for their headers in the interface language and its values,
    // and gives the list the width its name column needs. After the start (a change of
    // language) only widens.
    void fitFileListColumns(bool atLaunch = true);
    void loadSettings();
    void connectPlayer();
    // Every command of the window to what does it, and the buttons to the commands.
    void connectCommands();
    void updateReadingProgress(int done, int total);
    QString speedUnit() const;
    // The parts that act on the player and the map page, made once the window is built.
    void setUpParts();
    void updateClockLabel(double fileSeconds);
    void setUpUpdater();

    // Playback as the views show it.
    void fileOpening(bool newNode);
    void setPlaybackControlsEnabled(bool enabled);
    void showRate(double rate);
    void showTripTime(double fraction);
    // The playing node's events in the events panel, on the slider and on the map.
    void showEvents();

    // Camera views.
    void buildCameraMenu();
    void localizeCameraMenu();
    void updateCameraMenu();

    // File list.
    RVVideoDataPtr nodeForCommand() const;
    void reloadFilesView();
    // The empty list tells how to get recordings, or names the folders that held none.
    void updateListPlaceholder();
    void noRecordingsFoundIn(const QStringList& paths);
    void selectAfterRemoval(int row);
    // Ends playback of the playing node and clears what showed it.
    void stopPlayback();
    void setMutability(const RVVideoDataPtr& node, bool locked);
    // Runs `play` once the node's files are found to be the ones listed (another card at the
    // same path is read again instead, and the user told); only the newest request runs.
    void whenUnchanged(const RVVideoDataPtr& node, std::function<void()> play);
    // Tells the user that the list is being read again because the card changed under it.
    void cardChanged();

    std::shared_ptr<RVWindowDialogs> m_dialogs;
    std::uint64_t m_playRequest = 0; // counts whenUnchanged requests

    std::array<bool, RVGraphs::kCount> m_graphsEnabled{}; // by RVGraph

    // The window and its parts (owned by the window).
    QPointer<QMainWindow> m_window;
    RVWindowActions* m_actions = nullptr;
    RVMainView* m_mainView = nullptr;
    QSplitter* m_windowModeControls = nullptr; // everything but the video, hidden in full screen
    QWidget* m_fileViewContainer = nullptr;
    QWidget* m_advertisementContainer = nullptr;
    QSplitter* m_rightSplitter = nullptr;
    QSplitter* m_videoMapSplitter = nullptr;
    QWidget* m_mapContainer = nullptr;
    RVMapView* m_mapWebView = nullptr;
    RVMapHandOver* m_map = nullptr;
    RVVideoScrollView* m_playerScrollView = nullptr;
    QToolButton* m_fitVideoButton = nullptr;
    QToolButton* m_zoomInButton = nullptr;
    QToolButton* m_zoomOutButton = nullptr;
    QToolButton* m_screenShotButton = nullptr;
    QWidget* m_playbackControlsContainer = nullptr;
    RVPlayerView* m_playerView = nullptr;
    RVMpvVideoWidget* m_videoWidget = nullptr;
    RVMpvPlayer* m_player = nullptr;
    RVScreenSaverInhibitor* m_screenSaver = nullptr;
    QLabel* m_velocity = nullptr;
    QLabel* m_altitudeLabel = nullptr;
    // The recording's date and clock time at the playback position, and the rate when not 1x.
    QLabel* m_clockLabel = nullptr;
    QToolButton* m_rewindButton = nullptr;
    QPushButton* m_playPauseButton = nullptr;
    QToolButton* m_fastForwardButton = nullptr;
    QToolButton* m_prevFrameButton = nullptr;
    QToolButton* m_nextFrameButton = nullptr;
    QToolButton* m_fullScreenButton = nullptr;
    RVTimeSlider2* m_timeLine = nullptr;
    QPushButton* m_addVideoButton = nullptr;
    QPushButton* m_removeVideoButton = nullptr;
    RVVideoOutlineView* m_filesView = nullptr;
    RVVideoOutlineViewModel* m_filesModel = nullptr;
    QComboBox* m_modeFilterBox = nullptr;
    QAction* m_revealInFinderMenuItem = nullptr;
    QAction* m_exportToGpxMenuItem = nullptr;
    QAction* m_exportToKmlMenuItem = nullptr;
    QAction* m_exportToExcelMenuItem = nullptr;
    QString m_noRecordingsNote; // the empty list's text after adding folders without recordings
    QLabel* m_readingLabel = nullptr;
    QProgressBar* m_readingProgress = nullptr;
    QLabel* m_hiddenGraphsLabel = nullptr;         // graphs the slider had no room for
    RVClockProposalBar* m_clockProposal = nullptr; // a camera clock that seems hours off
    RVGridLoadWatch* m_gridWatch = nullptr;        // a grid the decoders cannot keep up with
    RVColumnFit* m_distanceColumn = nullptr;       // the Distance column, shown where it fits
    RVEventsPanel* m_events = nullptr;             // the playing node's events
    RVTripShapeCommand* m_tripShapes = nullptr;    // trips split and joined by hand

    QString m_measurementSystem;
    int m_lastSortColumn = 3;                    // the file list's last sortable sort column
    bool m_wasMaximized = false;                 // the window's state before full screen
    QByteArray m_splitterState;                  // the layout (layoutState) before full screen
    RVFullScreenOverlay* m_fullScreen = nullptr; // the controls over the video in full screen

    std::shared_ptr<RVVideoList> m_videoList;
    // Made with the player and the video list; goes before the player.
    std::unique_ptr<RVTripPlayback> m_playback;
    // Made with the playback; they go before it.
    std::unique_ptr<RVVideoZoom> m_zoom;
    std::unique_ptr<RVSavePanel> m_savePanel;
    std::unique_ptr<RVStillCommand> m_stills;
    std::unique_ptr<RVExportMenu> m_exports;
    std::unique_ptr<RVClipCommand> m_clips; // clip marks and the clip export
    std::unique_ptr<RVTrackImportCommand> m_trackImport;
    std::unique_ptr<RVThumbnailHover> m_thumbnails;
    std::unique_ptr<RVCardMap> m_cardMap; // reads the list's tracks on a thread of its own

    QMenu* m_cameraMenu = nullptr; // owned by the window
    QAction* m_channelItems[kChannelCount] = {};
    static constexpr int kArrangementCount = 4;
    QAction* m_arrangementItems[kArrangementCount] = {};
    QAction* m_swapViewsItem = nullptr;

    // Declared after the video list so they go before it: the firmware check reads the list's
    // cards on the updater's thread.
    std::optional<RVUpdaterEnvironment> m_updaterEnvironment;
    QString m_advertisementServer;
    RVAdvertisementPanel* m_advertisement = nullptr;
    std::unique_ptr<RVUpdateDialogs> m_updateDialogs;
    std::unique_ptr<RVUpdater> m_updater;
};
