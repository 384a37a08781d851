#include "player/window/RVAvertisementView.h"

#include "update/RVAdvertisementUtil.h"

#include <QChildEvent>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QThread>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QtDebug>

// The panel's page: every navigation is put to the view's policy.
class RVAdvertisementPage final : public QWebEnginePage
{
public:
    explicit RVAdvertisementPage(RVAvertisementView* view) : QWebEnginePage(view), m_view(view)
    {
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest& request) {
                    m_view->decide(request.requestedUrl(), RVAdvertisementNavigation::NewWindow,
                                   true);
                });
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        return m_view->decide(url, navigationOf(type), isMainFrame);
    }

private:
    static RVAdvertisementNavigation navigationOf(NavigationType type)
    {
        switch (type) {
        case NavigationTypeLinkClicked:
            return RVAdvertisementNavigation::LinkClicked;
        case NavigationTypeTyped:
            return RVAdvertisementNavigation::Typed;
        case NavigationTypeFormSubmitted:
            return RVAdvertisementNavigation::FormSubmitted;
        case NavigationTypeBackForward:
            return RVAdvertisementNavigation::BackForward;
        case NavigationTypeReload:
            return RVAdvertisementNavigation::Reload;
        case NavigationTypeRedirect:
            return RVAdvertisementNavigation::Redirect;
        case NavigationTypeOther:
        default:
            return RVAdvertisementNavigation::Other;
        }
    }

    RVAvertisementView* m_view;
};

RVAvertisementView::RVAvertisementView(QWidget* parent) : QWebEngineView(parent)
{
    setPage(new RVAdvertisementPage(this));
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (m_firstLoadReported)
            return;
        m_firstLoadReported = true;
        if (!ok) {
            m_failedToLoad = true;
            Q_EMIT advertisementFailed();
        }
    });
}

RVAvertisementView::~RVAvertisementView()
{
    m_stop.request_stop();
    if (m_heightThread) {
        m_heightThread->wait();
        delete m_heightThread;
    }
}

void RVAvertisementView::loadAdvertisement(const QString& pageUrl, const QString& homePageUrl)
{
    if (m_heightThread)
        return;
    m_homePageUrl = homePageUrl;
    setUrl(QUrl(pageUrl));

    const std::stop_token stop = m_stop.get_token();
    m_heightThread = QThread::create([this, pageUrl, stop] {
        const std::int32_t height = RVAdvertisementUtil::getAdvHeight(pageUrl, stop);
        if (stop.stop_requested())
            return;
        // Queued to the GUI thread; Qt drops the call if the view is gone by then.
        QMetaObject::invokeMethod(
            this, [this, height] { Q_EMIT advertisementHeightRead(height); }, Qt::QueuedConnection);
    });
    m_heightThread->setObjectName(QStringLiteral("advertisementHeight"));
    m_heightThread->start(QThread::LowestPriority);
}

bool RVAvertisementView::decide(const QUrl& url, RVAdvertisementNavigation type, bool isMainFrame)
{
    const RVAdvertisementDecision decision =
        decidePolicyForNavigationAction(url, type, isMainFrame, m_advertisementWasLoaded);
    m_advertisementWasLoaded = decision.advertisementWasLoaded;
    if (decision.openHomePage && !m_homePageUrl.isEmpty())
        QDesktopServices::openUrl(QUrl(m_homePageUrl));
    if (!decision.allowInPanel && type != RVAdvertisementNavigation::NewWindow)
        qInfo().noquote() << "Advertisement navigation refused:" << url.toDisplayString();
    return decision.allowInPanel;
}

bool RVAvertisementView::event(QEvent* event)
{
    // The page draws into a child widget that receives the mouse; watch it as it arrives.
    if (event->type() == QEvent::ChildPolished) {
        if (QObject* child = static_cast<QChildEvent*>(event)->child();
            child && child->isWidgetType())
            child->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool RVAvertisementView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        qInfo("Adv click");
    return QWebEngineView::eventFilter(watched, event); // the page handles the click as usual
}
