// The window's dealings with the maker's server: the update check started while the window
// loads, and the advertisement panel below the file list.

#include "player/window/RVMainViewController.h"

#include "library/RVVideoList.h"
#include "player/window/RVAvertisementView.h"
#include "player/window/RVUpdateDialogs.h"
#include "update/RVAdvertisementUtil.h"

#include <QVBoxLayout>
#include <QWidget>

namespace {
// The most the page may claim (points), so the file list above it stays usable in the
// 534-point window whatever the page says.
constexpr std::int32_t kMaxAdvertisementHeight = 200;
} // namespace

void RVMainViewController::setUpdaterEnvironment(RVUpdaterEnvironment environment)
{
    m_updaterEnvironment = std::move(environment);
}

void RVMainViewController::setAdvertisementServer(const QString& serverUrl)
{
    m_advertisementServer = serverUrl;
}

RVUpdateDialogs* RVMainViewController::updateDialogs() const
{
    return m_updateDialogs.get();
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

void RVMainViewController::setUpAdvertisement()
{
    if (m_advertisementServer.isEmpty() || m_advertisementWebView)
        return;
    // The panel starts with no height: the list keeps its full column until the page has said
    // how tall it wants to be, and for good when it cannot be reached.
    m_advertisementWebView = new RVAvertisementView(m_advertisementContainer);
    m_advertisementWebView->setObjectName(QStringLiteral("advertisementWebView"));
    auto* layout = new QVBoxLayout(m_advertisementContainer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_advertisementWebView);
    m_advertisementContainer->setFixedHeight(0);
    connect(m_advertisementWebView, &RVAvertisementView::advertisementHeightRead, this,
            &RVMainViewController::adjustAdvHeight);
    connect(m_advertisementWebView, &RVAvertisementView::advertisementFailed, this,
            [this] { m_advertisementContainer->setFixedHeight(0); });
    m_advertisementWebView->loadAdvertisement(
        RVAdvertisementUtil::advertisementPageUrl(m_advertisementServer),
        RVAdvertisementUtil::homePageUrl(m_advertisementServer));
}

void RVMainViewController::adjustAdvHeight(std::int32_t height)
{
    if (height <= 0 || !m_advertisementWebView || m_advertisementWebView->failedToLoad())
        return;
    m_advertisementContainer->setFixedHeight(std::min(height, kMaxAdvertisementHeight));
}
