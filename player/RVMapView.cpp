#include "player/RVMapView.h"

#include "metadata/RVSettings.h"
#include "player/RVMapScriptObject.h"

#include <QFile>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>

RVMapView::RVMapView(QWidget* parent)
    : QWebEngineView(parent), m_channel(new QWebChannel(this)),
      m_scriptObject(new RVMapScriptObject(this))
{
    m_channel->registerObject(QStringLiteral("Cocoa"), m_scriptObject);
    page()->setWebChannel(m_channel);
    // The route is drawn a second after the page has loaded, when its map has settled.
    connect(this, &QWebEngineView::loadStarted, this, [this] { m_pageLoaded = false; });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_pageLoaded = ok;
        if (ok)
            QTimer::singleShot(1000, this, &RVMapView::pageReady);
    });
}

QString RVMapView::pageResourceFor(const QString& provider)
{
    // Provider names come from the settings store: never let one reach outside the pages.
    if (provider.isEmpty() || provider.contains(QLatin1Char('/')) ||
        provider.contains(QLatin1Char('\\')) || provider.startsWith(QLatin1Char('.')))
        return QString();
    const QString resource = QStringLiteral(":/maps/%1.html").arg(provider);
    return QFile::exists(resource) ? resource : QString();
}

void RVMapView::setMapsProvider(const QString& provider)
{
    RVSettings::setText(RVSettings::kMapsProvider, provider);
    m_pageLoaded = false;
    const QString resource = pageResourceFor(provider);
    if (resource.isEmpty()) {
        setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    setUrl(QUrl(QStringLiteral("qrc") + resource));
}

void RVMapView::runScript(const QString& script)
{
    // A page still loading has not defined the map's functions yet; the route is drawn again
    // once it has loaded (pageReady), and the next tick moves the marker.
    if (!m_pageLoaded)
        return;
    page()->runJavaScript(script);
}
