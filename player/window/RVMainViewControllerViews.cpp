// The player window's camera views: which camera of a recording fills the video area, and
// whether a second camera is shown with it, as a picture in picture or side by side. The
// choice holds for the whole trip; recordings without the chosen camera show their front
// view. The player decodes every shown view of a file together, so they stay in step.
#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/video/RVTripPlayback.h"
#include "player/video/RVVideoScrollView.h"
#include "player/video/RVZoomGeometry.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

#include <algorithm>

namespace {

constexpr RVChannel kChannels[] = {RVChannel::Front, RVChannel::Rear, RVChannel::Interior,
                                   RVChannel::Optional};
constexpr RVViewArrangement kArrangements[] = {
    RVViewArrangement::Single, RVViewArrangement::PictureInPicture, RVViewArrangement::SideBySide};

} // namespace

void RVMainViewController::buildCameraMenu()
{
    m_cameraMenu = new QMenu(m_window);
    m_cameraMenu->setObjectName(QStringLiteral("menuCamera"));
    // Keys that the window's key map leaves free; the actions also live on the window so
    // the keys work without a menu bar (full screen).
    const char* channelKeys[] = {"1", "2", "3", "4"};
    auto* channels = new QActionGroup(m_cameraMenu);
    for (int i = 0; i < 4; ++i) {
        QAction* item = m_cameraMenu->addAction(QString());
        item->setObjectName(QStringLiteral("camera_") + channelName(kChannels[i]));
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
    const char* arrangementKeys[] = {"V", "P", "S"};
    const char* arrangementNames[] = {"viewSingle", "viewPictureInPicture", "viewSideBySide"};
    auto* arrangements = new QActionGroup(m_cameraMenu);
    for (int i = 0; i < 3; ++i) {
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
    //% "Single View"
    m_arrangementItems[0]->setText(qtTrId("MENU_VIEW_SINGLE"));
    //% "Picture in Picture"
    m_arrangementItems[1]->setText(qtTrId("MENU_VIEW_PICTURE_IN_PICTURE"));
    //% "Side by Side"
    m_arrangementItems[2]->setText(qtTrId("MENU_VIEW_SIDE_BY_SIDE"));
    //% "Swap Views"
    m_swapViewsItem->setText(qtTrId("MENU_VIEW_SWAP"));
}

void RVMainViewController::updateCameraMenu()
{
    if (!m_cameraMenu)
        return;
    // Cameras offered: those of any recording of the playing trip.
    // Every channel a recording may hold; the menu offers the first four.
    bool present[kChannelCount] = {true};
    if (const RVVideoDataPtr& node = m_playback->node()) {
        for (const RVVideoFilePtr& file : node->files()) {
            for (const RVVideoView& view : file->views())
                present[static_cast<int>(view.channel)] = true;
        }
    }
    const bool several = std::count(std::begin(present), std::end(present), true) > 1;
    const RVViewChoice& chosen = m_playback->viewChoice();
    for (int i = 0; i < 4; ++i) {
        m_channelItems[i]->setEnabled(present[i]);
        m_channelItems[i]->setChecked(kChannels[i] == chosen.main);
    }
    for (int i = 0; i < 3; ++i) {
        m_arrangementItems[i]->setEnabled(several || kArrangements[i] == RVViewArrangement::Single);
        m_arrangementItems[i]->setChecked(kArrangements[i] == chosen.arrangement);
    }
    m_swapViewsItem->setEnabled(several && chosen.arrangement != RVViewArrangement::Single);
}

void RVMainViewController::setViewChoice(const RVViewChoice& choice)
{
    m_playback->setViewChoice(choice);
    // Other views make another picture: a zoom into the old one means nothing there, so the
    // area shows the new picture fitted, without the scroll bars of the enlarged one.
    if (m_magnificationFactor > 1.0)
        applyZoomLayout(RVZoomGeometry::fit(QSizeF(m_playerScrollView->size())));
    updateCameraMenu();
}

void RVMainViewController::swapViews()
{
    const RVViewChoice& chosen = m_playback->viewChoice();
    if (chosen.arrangement == RVViewArrangement::Single)
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
