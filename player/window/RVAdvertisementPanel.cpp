#include "player/window/RVAdvertisementPanel.h"

#include "player/window/RVAvertisementView.h"
#include "update/RVAdvertisementUtil.h"

#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {
// The most the page may claim (points), so the file list above it stays usable in the
// 534-point window whatever the page says.
constexpr std::int32_t kMaxAdvertisementHeight = 200;
} // namespace

RVAdvertisementPanel::RVAdvertisementPanel(QWidget& container, const QString& serverUrl,
                                           QObject* parent)
    : QObject(parent), m_container(container), m_view(new RVAvertisementView(&container))
{
    m_view->setObjectName(QStringLiteral("advertisementWebView"));
    auto* layout = new QVBoxLayout(&m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_container.setFixedHeight(0);
    connect(m_view, &RVAvertisementView::advertisementHeightRead, this,
            &RVAdvertisementPanel::adjustHeight);
    connect(m_view, &RVAvertisementView::advertisementFailed, this,
            [this] { m_container.setFixedHeight(0); });
    m_view->loadAdvertisement(RVAdvertisementUtil::advertisementPageUrl(serverUrl),
                              RVAdvertisementUtil::homePageUrl(serverUrl));
}

void RVAdvertisementPanel::adjustHeight(std::int32_t height)
{
    if (height <= 0 || m_view->failedToLoad())
        return;
    m_container.setFixedHeight(std::min(height, kMaxAdvertisementHeight));
}
