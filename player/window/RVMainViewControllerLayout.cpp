// The window's layout. It opens at 900 x 534, so every pixel counts:
//
//   +-----------------+--------------------------------------------+
//   | [Add] [Remove]  |  video               |  map page           |
//   | file list       |                      |                     |
//   |                 |                      |---------------------|
//   |                 |                      |  speed   altitude   |
//   |-----------------|--------------------------------------------|
//   | advertisement   |  |<< < [>] > >>|                     [ ]  |
//   |                 |  time slider with its graph bands          |
//   +-----------------+--------------------------------------------+
//   status bar: metadata reading progress, hidden when idle
//
// The right side is a vertical splitter (video and map above, playback below) whose top is a
// horizontal splitter of the video and the map, so the user gives room to what they watch.

#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/map/RVMapView.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"
#include "player/video/RVVideoScrollView.h"
#include "player/window/RVCardMap.h"
#include "player/window/RVClockProposalBar.h"
#include "player/window/RVColumnFit.h"
#include "player/window/RVEventsPanel.h"
#include "player/window/RVFocusMark.h"
#include "player/window/RVFullScreenOverlay.h"
#include "player/window/RVMapHandOver.h"
#include "player/window/RVPaletteIcon.h"
#include "player/window/RVReadouts.h"
#include "player/window/RVTrackImportCommand.h"
#include "player/window/RVTripShapeCommand.h"
#include "player/window/RVWindowActions.h"
#include "timeline/RVTimeSlider2.h"
#include "views/RVMainView.h"
#include "views/RVPlayerView.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
constexpr int kWindowWidth = 900;
constexpr int kWindowHeight = 534;
constexpr int kFileListWidth = 300;
constexpr int kNameColumnWidth = 150;
// The video and the map keep this much of the first window's width, whatever the list needs.
constexpr int kRightSideMinimumWidth = 400;
// A long name as cameras write them: a trip of the N and F views' files, its first file's
// date and time and its last file's number.
constexpr const char* kTypicalLongName = "20260516_201000_NF-12_NF";
constexpr int kButtonIconSize = 22;

// The desktop's icon, else our own drawing of it in the palette's colours.
QIcon themedIcon(const char* themeName, const char* fallback)
{
    return RVPaletteIcon::themed(QString::fromLatin1(themeName),
                                 QStringLiteral(":/player/%1.svg").arg(QLatin1String(fallback)));
}

QToolButton* playbackButton(QWidget* parent, const char* name, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    button->setAutoRaise(true);
    // Reachable with Tab, but a click leaves the focus where it was (the list or the video),
    // so the window's keys go on working after a click on a button.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}
} // namespace

void RVMainViewController::buildWindow()
{
    m_window = new QMainWindow;
    m_window->setObjectName(QStringLiteral("RVMainWindow"));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->resize(kWindowWidth, kWindowHeight);
    m_actions = new RVWindowActions(m_window);

    m_mainView = new RVMainView(m_window);
    m_mainView->setObjectName(QStringLiteral("mainView"));
    m_mainView->setFocusPolicy(Qt::StrongFocus);
    m_window->setCentralWidget(m_mainView);
    auto* rootLayout = new QHBoxLayout(m_mainView);
    rootLayout->setContentsMargins(0, 0, 0, 0);

    m_windowModeControls = new QSplitter(Qt::Horizontal, m_mainView);
    m_windowModeControls->setObjectName(QStringLiteral("windowModeControls"));
    m_windowModeControls->setChildrenCollapsible(false);
    rootLayout->addWidget(m_windowModeControls);

    // Left: the file list with its buttons, above the advertisement panel.
    m_fileViewContainer = new QWidget(m_windowModeControls);
    m_fileViewContainer->setObjectName(QStringLiteral("fileViewContainer"));
    auto* left = new QVBoxLayout(m_fileViewContainer);
    left->setContentsMargins(4, 4, 0, 4);
    left->setSpacing(4);
    auto* fileButtons = new QHBoxLayout;
    m_addVideoButton =
        new QPushButton(themedIcon("list-add", "Add"), QString(), m_fileViewContainer);
    m_addVideoButton->setObjectName(QStringLiteral("addVideoButton"));
    m_removeVideoButton =
        new QPushButton(themedIcon("list-remove", "Remove"), QString(), m_fileViewContainer);
    m_removeVideoButton->setObjectName(QStringLiteral("removeVideoButton"));
    for (QPushButton* button : {m_addVideoButton, m_removeVideoButton})
        button->setFocusPolicy(Qt::TabFocus);
    fileButtons->addWidget(m_addVideoButton);
    fileButtons->addWidget(m_removeVideoButton);
    fileButtons->addStretch(1);
    m_modeFilterBox = new QComboBox(m_fileViewContainer);
    m_modeFilterBox->setObjectName(QStringLiteral("modeFilterBox"));
    // Reached with Tab (its arrow keys choose then); a click leaves the keys to the key map.
    m_modeFilterBox->setFocusPolicy(Qt::TabFocus);
    m_modeFilterBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const RVModeFilter filter :
         {RVModeFilter::All, RVModeFilter::Normal, RVModeFilter::Event, RVModeFilter::Parking,
          RVModeFilter::Manual, RVModeFilter::Other})
        m_modeFilterBox->addItem(QString(), int(filter));
    fileButtons->addWidget(m_modeFilterBox);
    left->addLayout(fileButtons);

    m_filesView = new RVVideoOutlineView(m_fileViewContainer);
    m_filesModel = new RVVideoOutlineViewModel(m_filesView);
    m_filesView->setModel(m_filesModel);
    // A narrow list keeps both ends of a name: the camera's mode and channel letters and the
    // mark of further views are at its end.
    m_filesView->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = m_filesView->header();
    header->setMinimumSectionSize(18);
    header->setSectionResizeMode(RVVideoOutlineViewModel::ColumnName, QHeaderView::Stretch);
    header->setSectionResizeMode(RVVideoOutlineViewModel::ColumnLocked, QHeaderView::Fixed);
    header->setSectionResizeMode(RVVideoOutlineViewModel::ColumnDuration, QHeaderView::Interactive);
    header->setSectionResizeMode(RVVideoOutlineViewModel::ColumnDate, QHeaderView::Interactive);
    header->setSectionResizeMode(RVVideoOutlineViewModel::ColumnDistance, QHeaderView::Interactive);
    header->resizeSection(RVVideoOutlineViewModel::ColumnLocked, 22);
    left->addWidget(m_filesView, 1);

    m_events = new RVEventsPanel(*left, *m_fileViewContainer, this);

    // The advertisement panel's place: collapsed until its page says how tall it is.
    m_advertisementContainer = new QWidget(m_fileViewContainer);
    m_advertisementContainer->setObjectName(QStringLiteral("advertisementContainer"));
    m_advertisementContainer->setFixedHeight(0);
    left->addWidget(m_advertisementContainer);

    // Right: video and map above, playback controls and the time slider below.
    m_rightSplitter = new QSplitter(Qt::Vertical, m_windowModeControls);
    m_rightSplitter->setObjectName(QStringLiteral("rightSplitter"));
    m_rightSplitter->setChildrenCollapsible(false);

    m_videoMapSplitter = new QSplitter(Qt::Horizontal, m_rightSplitter);
    m_videoMapSplitter->setObjectName(QStringLiteral("videoMapSplitter"));
    m_videoMapSplitter->setChildrenCollapsible(false);

    // The player view is the scroll view's document: enlarged, the scrollers pan it.
    m_playerScrollView = new RVVideoScrollView(m_videoMapSplitter);
    m_playerScrollView->setObjectName(QStringLiteral("playerScrollView"));
    m_playerScrollView->setMinimumSize(160, 90);
    m_playerView = new RVPlayerView(m_playerScrollView);
    m_playerView->setObjectName(QStringLiteral("playerView"));
    m_playerView->setMinimumSize(160, 90);
    m_playerView->setAutoFillBackground(true);
    QPalette black = m_playerView->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_playerView->setPalette(black);
    m_videoWidget = new RVMpvVideoWidget(m_player, m_playerView);
    m_videoWidget->setObjectName(QStringLiteral("videoWidget"));
    m_playerView->setContentWidget(m_videoWidget);
    m_playerScrollView->setContentWidget(m_playerView);

    m_mapContainer = new QWidget(m_videoMapSplitter);
    m_mapContainer->setObjectName(QStringLiteral("mapContainer"));
    auto* mapLayout = new QVBoxLayout(m_mapContainer);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->setSpacing(0);
    // The page itself is loaded by loadView; the web view loads it in the background.
    m_mapWebView = new RVMapView(m_mapContainer);
    m_mapWebView->setObjectName(QStringLiteral("mapWebView"));
    mapLayout->addWidget(m_mapWebView, 1);
    // Speed and altitude on one line where they fit, the recording's date and clock time (and
    // the rate) on the next.
    auto* readouts = new RVReadouts(m_mapContainer);
    m_velocity = readouts->speed();
    m_altitudeLabel = readouts->altitude();
    m_clockLabel = readouts->clock();
    mapLayout->addWidget(readouts);
    m_videoMapSplitter->setStretchFactor(0, 3);
    m_videoMapSplitter->setStretchFactor(1, 2);

    m_playbackControlsContainer = new QWidget(m_rightSplitter);
    m_playbackControlsContainer->setObjectName(QStringLiteral("playbackControlsContainer"));
    m_playbackControlsContainer->setAutoFillBackground(true);
    auto* controls = new QVBoxLayout(m_playbackControlsContainer);
    controls->setContentsMargins(4, 2, 4, 2);
    controls->setSpacing(2);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    m_rewindButton = playbackButton(m_playbackControlsContainer, "rewindButton",
                                    themedIcon("media-seek-backward", "Rewind"));
    m_prevFrameButton = playbackButton(m_playbackControlsContainer, "prevFrameButton",
                                       themedIcon("media-skip-backward", "PrevFrame"));
    m_playPauseButton = new QPushButton(m_playbackControlsContainer);
    m_playPauseButton->setObjectName(QStringLiteral("playPauseButton"));
    m_playPauseButton->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    m_playPauseButton->setFlat(true);
    m_playPauseButton->setFocusPolicy(Qt::TabFocus);
    m_nextFrameButton = playbackButton(m_playbackControlsContainer, "nextFrameButton",
                                       themedIcon("media-skip-forward", "NextFrame"));
    m_fastForwardButton = playbackButton(m_playbackControlsContainer, "fastForwardButton",
                                         themedIcon("media-seek-forward", "Forward"));
    m_fullScreenButton = playbackButton(m_playbackControlsContainer, "fullScreenButton",
                                        themedIcon("view-fullscreen", "FullScreen"));
    buttons->addStretch(1);
    buttons->addWidget(m_rewindButton);
    buttons->addWidget(m_prevFrameButton);
    buttons->addWidget(m_playPauseButton);
    buttons->addWidget(m_nextFrameButton);
    buttons->addWidget(m_fastForwardButton);
    m_screenShotButton = playbackButton(m_playbackControlsContainer, "screenShotButton",
                                        themedIcon("camera-photo", "Still"));
    m_zoomOutButton = playbackButton(m_playbackControlsContainer, "zoomOutButton",
                                     themedIcon("zoom-out", "ZoomOut"));
    m_zoomInButton = playbackButton(m_playbackControlsContainer, "zoomInButton",
                                    themedIcon("zoom-in", "ZoomIn"));
    m_fitVideoButton = playbackButton(m_playbackControlsContainer, "fitVideoButton",
                                      themedIcon("zoom-fit-best", "FitVideo"));
    buttons->addStretch(1);
    buttons->addWidget(m_screenShotButton);
    buttons->addWidget(m_zoomOutButton);
    buttons->addWidget(m_zoomInButton);
    buttons->addWidget(m_fitVideoButton);
    buttons->addWidget(m_fullScreenButton);
    controls->addLayout(buttons);
    m_timeLine = new RVTimeSlider2(m_playbackControlsContainer);
    m_timeLine->setObjectName(QStringLiteral("timeLine"));
    m_timeLine->setMinimumHeight(60);
    // Reached with Tab; the keys it gets go on to the window's key map (step, jump, play).
    m_timeLine->setFocusPolicy(Qt::TabFocus);
    controls->addWidget(m_timeLine, 1);

    m_fullScreen = new RVFullScreenOverlay(m_mainView);

    m_rightSplitter->setStretchFactor(0, 3);
    m_rightSplitter->setStretchFactor(1, 2);
    m_windowModeControls->setStretchFactor(0, 0);
    m_windowModeControls->setStretchFactor(1, 1);
    m_windowModeControls->setSizes({kFileListWidth, kWindowWidth - kFileListWidth});
    m_distanceColumn = new RVColumnFit(*m_filesView, RVVideoOutlineViewModel::ColumnDistance,
                                       *m_windowModeControls, kRightSideMinimumWidth);
    m_rightSplitter->setSizes({300, 200});
    m_videoMapSplitter->setSizes({360, 240});

    // Tab goes from the window's own focus (the video, where it starts) to the list's buttons
    // and filter, the list, the playback buttons in the order they are seen, the time slider
    // with its graphs, then the map page, which hands Tab on.
    const QList<QWidget*> tabOrder{m_mainView,          m_addVideoButton,   m_removeVideoButton,
                                   m_modeFilterBox,     m_filesView,        m_rewindButton,
                                   m_prevFrameButton,   m_playPauseButton,  m_nextFrameButton,
                                   m_fastForwardButton, m_screenShotButton, m_zoomOutButton,
                                   m_zoomInButton,      m_fitVideoButton,   m_fullScreenButton,
                                   m_timeLine,          m_mapWebView};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // Where Tab has put the focus is ringed; the root view's focus is the video's.
    auto* focusMark = new RVFocusMark(m_window);
    focusMark->markAs(m_mainView, m_playerScrollView, false);
    // The page takes the focus in a render widget of its own, made again with each page.
    focusMark->markAs(m_mapWebView, m_mapWebView, true);

    // The file list's context menu: reveal and the three exports, then the lock items.
    m_revealInFinderMenuItem = new QAction(m_filesView);
    m_exportToGpxMenuItem = new QAction(m_filesView);
    m_exportToKmlMenuItem = new QAction(m_filesView);
    m_exportToExcelMenuItem = new QAction(m_filesView);
    m_revealInFinderMenuItem->setObjectName(QStringLiteral("revealInFinderMenuItem"));
    m_exportToGpxMenuItem->setObjectName(QStringLiteral("exportToGpxMenuItem"));
    m_exportToKmlMenuItem->setObjectName(QStringLiteral("exportToKmlMenuItem"));
    m_exportToExcelMenuItem->setObjectName(QStringLiteral("exportToExcelMenuItem"));
    m_filesView->setBaseMenuActions({m_revealInFinderMenuItem, m_exportToGpxMenuItem,
                                     m_exportToKmlMenuItem, m_exportToExcelMenuItem});

    // Metadata reading progress ("Reading 120 of 800"), shown only while the library reads.
    m_readingLabel = new QLabel(m_window);
    m_readingLabel->setObjectName(QStringLiteral("readingLabel"));
    m_readingProgress = new QProgressBar(m_window);
    m_readingProgress->setObjectName(QStringLiteral("readingProgress"));
    m_readingProgress->setMaximumWidth(160);
    m_readingProgress->setTextVisible(false);
    m_window->statusBar()->addWidget(m_readingLabel);
    m_window->statusBar()->addWidget(m_readingProgress);
    m_window->statusBar()->setSizeGripEnabled(false);
    updateReadingProgress(0, 0);

    // Graphs the slider had no room for are named here, not silently dropped.
    m_hiddenGraphsLabel = new QLabel(m_window);
    m_hiddenGraphsLabel->setObjectName(QStringLiteral("hiddenGraphsLabel"));
    m_window->statusBar()->addPermanentWidget(m_hiddenGraphsLabel);
    connect(m_timeLine, &RVTimeSlider2::hiddenGraphCountChanged, this,
            &RVMainViewController::updateHiddenGraphsNote);
    updateHiddenGraphsNote();

    // A card whose camera clock is hours off: the correction, offered for the selected trip
    // once its track is read.
    m_clockProposal = new RVClockProposalBar(m_window);
    m_window->statusBar()->addPermanentWidget(m_clockProposal);
    connect(m_clockProposal, &RVClockProposalBar::applied, this, [this](const QString& message) {
        showStatusMessage(message);
        // What is listed is dated by the new rule at once, not at the next start.
        m_videoList->cameraClockChanged();
    });
}

void RVMainViewController::updateHiddenGraphsNote()
{
    const int hidden = m_timeLine->hiddenGraphCount();
    m_hiddenGraphsLabel->setVisible(hidden > 0);
    if (hidden == 0)
        return;
    //% "Graphs left out for want of room: %1. Make the graphs area taller to see them."
    QString format = qtTrId("STATUS_GRAPHS_HIDDEN");
    if (!format.contains(QLatin1String("%1")))
        format += QStringLiteral(" %1");
    m_hiddenGraphsLabel->setText(format.arg(hidden));
}

void RVMainViewController::initLanguage()
{
    localizeCameraMenu();
    m_actions->retranslate();
    // The commands' texts, with the key of the window's key map that does the same.
    using C = RVWindowCommand;
    const std::pair<QWidget*, C> buttons[] = {
        {m_playPauseButton, C::PlayPause},     {m_fastForwardButton, C::FastForward},
        {m_rewindButton, C::Rewind},           {m_nextFrameButton, C::NextFrame},
        {m_prevFrameButton, C::PreviousFrame}, {m_fullScreenButton, C::FullScreen},
        {m_screenShotButton, C::Still},        {m_zoomInButton, C::ZoomIn},
        {m_zoomOutButton, C::ZoomOut},         {m_fitVideoButton, C::FitToWindow},
    };
    for (const auto& [button, command] : buttons)
        button->setToolTip(m_actions->toolTip(command));
    //% "Add"
    m_addVideoButton->setText(qtTrId("ADD_VIDEO_TITLE"));
    //% "Add recordings or folders"
    m_addVideoButton->setToolTip(QStringLiteral("%1 (%2)").arg(
        qtTrId("ADD_VIDEO_TOOLTIP"),
        QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText)));
    //% "Remove"
    m_removeVideoButton->setText(qtTrId("REMOVE_VIDEO_TITLE"));
    for (int i = 0; i < m_modeFilterBox->count(); ++i)
        m_modeFilterBox->setItemText(i, RVRecordingModeLook::filterTitle(
                                            RVModeFilter(m_modeFilterBox->itemData(i).toInt())));
    //% "Show only recordings of this kind"
    m_modeFilterBox->setToolTip(qtTrId("MODE_FILTER_TOOLTIP"));
    //% "Show in file manager"
    m_revealInFinderMenuItem->setText(qtTrId("MENU_REVEAL_IN_FINDER"));
    //% "Export to GPX"
    m_exportToGpxMenuItem->setText(qtTrId("MENU_EXPORT_TO_GPX"));
    //% "Export to KML"
    m_exportToKmlMenuItem->setText(qtTrId("MENU_EXPORT_TO_KML"));
    //% "Export to spreadsheet"
    m_exportToExcelMenuItem->setText(qtTrId("MENU_EXPORT_TO_EXCEL"));
    m_velocity->setText(speedUnit());
}

void RVMainViewController::retranslate()
{
    initLanguage();
    const int columns = m_filesModel->columnCount();
    if (columns > 0)
        Q_EMIT m_filesModel->headerDataChanged(Qt::Horizontal, 0, columns - 1);
    // Paused there is no next tick: the read-outs and the graph titles change now.
    m_timeLine->update();
    if (m_timeLine->progress() >= 0)
        m_map->showPosition();
    updateHiddenGraphsNote();
    updateListPlaceholder();
    m_clockProposal->retranslate();
    m_events->retranslate();
    m_cardMap->retranslate();
    if (m_tripShapes)
        m_tripShapes->retranslate();
    if (m_trackImport)
        m_trackImport->localize();
    fitFileListColumns(false);
    if (m_readingLabel->isVisible())
        updateReadingProgress(m_readingProgress->value(), m_readingProgress->maximum());
}

void RVMainViewController::fitFileListColumns(bool atLaunch)
{
    QHeaderView* header = m_filesView->header();
    // Wide enough for their headers in the interface language ("Длительность" is three
    // times "Duration") and for their longest values.
    const QFontMetrics metrics = m_filesView->fontMetrics();
    constexpr int cellPadding = 12;
    // After a change of language, columns the user made wider stay so.
    const auto kept = [&](int column) { return atLaunch ? 0 : header->sectionSize(column); };
    const int durationWidth =
        std::max({50, header->sectionSizeHint(RVVideoOutlineViewModel::ColumnDuration),
                  metrics.horizontalAdvance(QStringLiteral("000:00")) + cellPadding,
                  kept(RVVideoOutlineViewModel::ColumnDuration)});
    const int dateWidth =
        std::max({140, header->sectionSizeHint(RVVideoOutlineViewModel::ColumnDate),
                  metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + cellPadding,
                  kept(RVVideoOutlineViewModel::ColumnDate)});
    const int distanceWidth =
        std::max({50, header->sectionSizeHint(RVVideoOutlineViewModel::ColumnDistance),
                  metrics.horizontalAdvance(QStringLiteral("0000.0 km")) + cellPadding,
                  kept(RVVideoOutlineViewModel::ColumnDistance)});
    header->resizeSection(RVVideoOutlineViewModel::ColumnDuration, durationWidth);
    header->resizeSection(RVVideoOutlineViewModel::ColumnDate, dateWidth);
    header->resizeSection(RVVideoOutlineViewModel::ColumnDistance, distanceWidth);
    // The name column stretches and gets the room of a long camera name (in bold, as event
    // recordings show, after the mode's icon) where the window leaves the video and the map
    // enough; it never gets less than kNameColumnWidth (full names show in its tool tips).
    QFont bold = m_filesView->font();
    bold.setBold(true);
    const int iconRoom = m_filesView->iconSize().isValid()
                             ? m_filesView->iconSize().width()
                             : m_filesView->style()->pixelMetric(QStyle::PM_SmallIconSize);
    const int typicalNameWidth =
        QFontMetrics(bold).horizontalAdvance(QLatin1String(kTypicalLongName)) + iconRoom +
        4 * (m_filesView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const int frame = 2 * m_filesView->frameWidth() +
                      m_fileViewContainer->layout()->contentsMargins().left() +
                      m_fileViewContainer->layout()->contentsMargins().right();
    // The distance column is left out here: it shows only where the list has room for it
    // besides whole names (m_distanceColumn).
    const int otherColumns = m_filesView->indentation() + 22 + durationWidth + dateWidth +
                             m_filesView->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + frame;
    // The splitter's handle takes its share of the window too.
    const int windowWidth = kWindowWidth - m_windowModeControls->handleWidth();
    const int nameWidth =
        std::clamp(typicalNameWidth, kNameColumnWidth,
                   std::max(kNameColumnWidth, windowWidth - kRightSideMinimumWidth - otherColumns));
    const int fileListWidth = std::max(kFileListWidth, nameWidth + otherColumns);
    m_distanceColumn->setWidths(fileListWidth, std::max(typicalNameWidth, kNameColumnWidth) +
                                                   otherColumns + distanceWidth);
    // The user may still make the list narrower, down to the shortest name column.
    m_fileViewContainer->setMinimumWidth(std::max(kFileListWidth, kNameColumnWidth + otherColumns));
    // The splitter is laid out at the start; after a change of language the list only widens,
    // and only as far as the video and the map keep their room.
    if (atLaunch) {
        m_windowModeControls->setSizes({fileListWidth, windowWidth - fileListWidth});
        return;
    }
    const QList<int> sizes = m_windowModeControls->sizes();
    if (sizes.size() == 2 && sizes[0] < fileListWidth) {
        const int total = sizes[0] + sizes[1];
        const int list =
            std::max(sizes[0], std::min(fileListWidth, total - kRightSideMinimumWidth));
        m_windowModeControls->setSizes({list, total - list});
    }
}

void RVMainViewController::updateReadingProgress(int done, int total)
{
    const bool reading = total > 0 && done < total;
    m_readingLabel->setVisible(reading);
    m_readingProgress->setVisible(reading);
    if (!reading)
        return;
    //% "Reading %1 of %2"
    QString format = qtTrId("STATUS_READING_METADATA");
    // Without a translation the key would show without the numbers.
    if (!format.contains(QLatin1String("%2")))
        format = QStringLiteral("Reading %1 of %2");
    m_readingLabel->setText(format.arg(done).arg(total));
    m_readingProgress->setRange(0, total);
    m_readingProgress->setValue(done);
}
