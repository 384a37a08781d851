// The window's dealings with the maker's server: the update check started while the window
// loads (the advertisement panel below the file list is RVAdvertisementPanel).

#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/window/RVUpdateDialogs.h"

void RVMainViewController::setUpdaterEnvironment(RVUpdaterEnvironment environment)
{
    m_updaterEnvironment = std::move(environment);
}

void RVMainViewController::setAdvertisementServer(const QString& serverUrl)
{
    m_advertisementServer = serverUrl;
}

void RVMainViewController::setUpUpdater()
{
    if (!m_updaterEnvironment || m_updater)
        return;
    RVUpdaterEnvironment environment = *m_updaterEnvironment;
    // The firmware check looks at the cards the library has found. It runs on the updater's
    // thread; the list guards its cards with its own lock, and outlives the updater.
    std::weak_ptr<RVVideoList> videoList = m_videoList;
    environment.dashcamFlashDrives = [videoList] {
        const std::shared_ptr<RVVideoList> list = videoList.lock();
        return list ? list->mountedVolumes() : QStringList();
    };
    m_updater = std::make_unique<RVUpdater>(std::move(environment), m_updateDialogs.get());
    m_updater->checkForUpdate();
}
