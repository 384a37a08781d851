// The player window's camera views: which camera of a recording fills the video area, and
// whether a second camera is shown with it, as a picture in picture or side by side, or all
// of them as a grid (recordings of more than two cameras: a car's four or six). The choice
// holds for the whole trip; recordings without the chosen camera show their front view. The
// player decodes every shown view of a file together, so they stay in step.
#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/files/RVRecordingModeLook.h"
#include "player/video/RVTripPlayback.h"
#include "player/video/RVVideoScrollView.h"
#include "player/video/RVZoomGeometry.h"
#include "player/window/RVGridLoadWatch.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

#include <algorithm>

namespace {

// A dash camera's four, then a car's side cameras (shown only for trips that have them).
constexpr RVChannel kChannels[] = {
    RVChannel::Front, RVChannel::Rear,  RVChannel::Interior,   RVChannel::Optional,
    RVChannel::Left,  RVChannel::Right, RVChannel::LeftPillar, RVChannel::RightPillar};
constexpr int kAlwaysListedChannels = 4;
constexpr RVViewArrangement kArrangements[] = {
    RVViewArrangement::Single, RVViewArrangement::PictureInPicture, RVViewArrangement::SideBySide,
    RVViewArrangement::Grid};

} // namespace

void RVMainViewController::buildCameraMenu()
{
    m_cameraMenu = new QMenu(m_window);
    m_cameraMenu->setObjectName(QStringLiteral("menuCamera"));
    // Keys that the window's key map leaves free; the actions also live on the window so
    // the keys work without a menu bar (full screen).
    const char* channelKeys[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    auto* channels = new QActionGroup(m_cameraMenu);
    for (int i = 0; i < kChannelCount; ++i) {
        QAction* item = m_cameraMenu->addAction(QString());
        item->setObjectName(QStringLiteral("camera_") +
                            channelName(kChannels[i]).replace(QLatin1Char(' '), QLatin1Char('_')));
        item->setCheckable(true);
        item->setShortcut(QKeySequence(QLatin1String(channelKeys[i])));
        channels->addAction(item);
        const RVChannel channel = kChannels[i];
        connect(item, &QAction::triggered, this, [this, channel] {
            RVViewChoice choice = m_playback->viewChoice();
            choice.main = channel;
            setViewChoice(choice);
        });
        m_channelItems[i] = item;
    }
    m_cameraMenu->addSeparator();
    const char* arrangementKeys[] = {"V", "P", "S", "G"};
    const char* arrangementNames[] = {"viewSingle", "viewPictureInPicture", "viewSideBySide",
                                      "viewGrid"};
    auto* arrangements = new QActionGroup(m_cameraMenu);
    for (int i = 0; i < kArrangementCount; ++i) {
        QAction* item = m_cameraMenu->addAction(QString());
        item->setObjectName(QLatin1String(arrangementNames[i]));
        item->setCheckable(true);
        item->setShortcut(QKeySequence(QLatin1String(arrangementKeys[i])));
        arrangements->addAction(item);
        const RVViewArrangement arrangement = kArrangements[i];
        connect(item, &QAction::triggered, this, [this, arrangement] {
            RVViewChoice choice = m_playback->viewChoice();
            choice.arrangement = arrangement;
            setViewChoice(choice);
        });
        m_arrangementItems[i] = item;
    }
    m_cameraMenu->addSeparator();
    m_swapViewsItem = m_cameraMenu->addAction(QString());
    m_swapViewsItem->setObjectName(QStringLiteral("swapViews"));
    m_swapViewsItem->setShortcut(QKeySequence(QStringLiteral("X")));
    connect(m_swapViewsItem, &QAction::triggered, this, [this] { swapViews(); });
    m_window->addActions(m_cameraMenu->actions());
    // A grid the decoders cannot keep up with becomes two views side by side, with a note,
    // rather than stutter.
    m_gridWatch = new RVGridLoadWatch(*m_player, this);
    connect(m_gridWatch, &RVGridLoadWatch::cannotKeepUp, this, [this] {
        RVViewChoice choice = m_playback->viewChoice();
        if (choice.arrangement != RVViewArrangement::Grid)
            return;
        choice.arrangement = RVViewArrangement::SideBySide;
        setViewChoice(choice);
        //% "This computer cannot decode every view in time: two views are shown side by side."
        showStatusMessage(qtTrId("STATUS_GRID_TOO_SLOW"));
    });
    localizeCameraMenu();
    updateCameraMenu();
}

void RVMainViewController::localizeCameraMenu()
{
    if (!m_cameraMenu)
        return;
    //% "&Camera"
    m_cameraMenu->setTitle(qtTrId("MENU_CAMERA"));
    //% "Front"
    m_channelItems[0]->setText(qtTrId("MENU_CAMERA_FRONT"));
    //% "Rear"
    m_channelItems[1]->setText(qtTrId("MENU_CAMERA_REAR"));
    //% "Interior"
    m_channelItems[2]->setText(qtTrId("MENU_CAMERA_INTERIOR"));
    //% "Optional"
    m_channelItems[3]->setText(qtTrId("MENU_CAMERA_OPTIONAL"));
    for (int i = kAlwaysListedChannels; i < kChannelCount; ++i)
        m_channelItems[i]->setText(RVRecordingModeLook::channelTitle(kChannels[i]));
    //% "Single View"
    m_arrangementItems[0]->setText(qtTrId("MENU_VIEW_SINGLE"));
    //% "Picture in Picture"
    m_arrangementItems[1]->setText(qtTrId("MENU_VIEW_PICTURE_IN_PICTURE"));
    //% "Side by Side"
    m_arrangementItems[2]->setText(qtTrId("MENU_VIEW_SIDE_BY_SIDE"));
    //% "Grid"
    m_arrangementItems[3]->setText(qtTrId("MENU_VIEW_GRID"));
    //% "Swap Views"
    m_swapViewsItem->setText(qtTrId("MENU_VIEW_SWAP"));
}

void RVMainViewController::updateCameraMenu()
{
    if (!m_cameraMenu)
        return;
    // Cameras offered: those of any recording of the playing trip; the grid where one of
    // them has more than two.
    bool present[kChannelCount] = {true};
    bool grid = false;
    if (const RVVideoDataPtr& node = m_playback->node()) {
        for (const RVVideoFilePtr& file : node->files()) {
            for (const RVVideoView& view : file->views())
                present[static_cast<int>(view.channel)] = true;
            grid = grid || RVViewLayout::gridOffered(file->views());
        }
    }
    const bool several = std::count(std::begin(present), std::end(present), true) > 1;
    const RVViewChoice& chosen = m_playback->viewChoice();
    for (int i = 0; i < kChannelCount; ++i) {
        const bool shown = present[static_cast<int>(kChannels[i])];
        m_channelItems[i]->setEnabled(shown);
        m_channelItems[i]->setVisible(shown || i < kAlwaysListedChannels);
        m_channelItems[i]->setChecked(kChannels[i] == chosen.main);
    }
    for (int i = 0; i < kArrangementCount; ++i) {
        const RVViewArrangement arrangement = kArrangements[i];
        m_arrangementItems[i]->setEnabled(arrangement == RVViewArrangement::Grid
                                              ? grid
                                              : several ||
                                                    arrangement == RVViewArrangement::Single);
        m_arrangementItems[i]->setVisible(arrangement != RVViewArrangement::Grid || grid);
        m_arrangementItems[i]->setChecked(arrangement == chosen.arrangement);
    }
    m_swapViewsItem->setEnabled(several && chosen.arrangement != RVViewArrangement::Single &&
                                chosen.arrangement != RVViewArrangement::Grid);
}

void RVMainViewController::setViewChoice(const RVViewChoice& choice)
{
    m_playback->setViewChoice(choice);
    if (m_gridWatch)
        m_gridWatch->setWatching(choice.arrangement == RVViewArrangement::Grid);
    // Other views make another picture: a zoom into the old one means nothing there, so the
    // area shows the new picture fitted, without the scroll bars of the enlarged one.
    if (m_magnificationFactor > 1.0)
        applyZoomLayout(RVZoomGeometry::fit(QSizeF(m_playerScrollView->size())));
    updateCameraMenu();
}

void RVMainViewController::swapViews()
{
    const RVViewChoice& chosen = m_playback->viewChoice();
    if (chosen.arrangement == RVViewArrangement::Single ||
        chosen.arrangement == RVViewArrangement::Grid)
        return;
    // The second view of the playing recording becomes the main one, and the main one second.
    const RVVideoFilePtr file = m_playback->currentFile();
    if (!file)
        return;
    const std::optional<RVChannel> second =
        RVViewLayout::secondChannel(file->views(), m_playback->currentPath(), chosen);
    if (!second)
        return;
    RVViewChoice choice = chosen;
    choice.main = *second;
    setViewChoice(choice);
}
