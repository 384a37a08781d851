#include "player/map/RVMapView.h"

#include "core/RVMapTiles.h"
#include "core/RVSettings.h"
#include "player/map/RVMapScriptObject.h"
#include "player/map/RVMapViewTileAddress.h"
#include "player/map/RVMapViewTileHandler.h"

#include "korvela_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlScheme>

namespace {

const QString kConfigScriptName = QStringLiteral("korvela-map-config");
// The page's own resources and scripts (the Google page's); tiles have a cache of their own.
constexpr int kHttpCacheBytes = 50 * 1024 * 1024;

bool tileSchemeRegistered()
{
    return !QWebEngineUrlScheme::schemeByName(RVMapViewTileAddressUtil::kScheme).name().isEmpty();
}

// The tile handler of the shared profile; none when the scheme was not registered.
QPointer<RVMapViewTileHandler>& tileHandler()
{
    static QPointer<RVMapViewTileHandler> handler;
    return handler;
}

} // namespace

RVMapView::RVMapView(QWidget* parent)
    : QWebEngineView(parent), m_channel(new QWebChannel(this)),
      m_scriptObject(new RVMapScriptObject(this))
{
    setPage(new QWebEnginePage(profile(), this));
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

bool RVMapView::event(QEvent* event)
{
    // Keys reach the page through a child widget the web engine makes (its focus proxy),
    // made again with each page: watch every child for Tab.
    if (event->type() == QEvent::ChildAdded) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            child->installEventFilter(this);
    }
    return QWebEngineView::event(event);
}

bool RVMapView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers others =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const bool backward = key->key() == Qt::Key_Backtab ||
                              (key->key() == Qt::Key_Tab && key->modifiers() & Qt::ShiftModifier);
        if (!others && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            focusNextPrevChild(!backward);
            return true;
        }
    }
    return QWebEngineView::eventFilter(watched, event);
}

QString RVMapView::userAgent()
{
    return QStringLiteral("KorvelaPlayer/%1 (dash-camera player; map view)")
        .arg(QStringLiteral(KORVELA_VERSION));
}

void RVMapView::registerTileScheme()
{
    if (tileSchemeRegistered())
        return;
    QWebEngineUrlScheme scheme(RVMapViewTileAddressUtil::kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Secure and fetchable across origins like the https tiles it stands for.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QString RVMapView::tileCacheDirectory()
{
    return RVMapTiles::cacheDirectory();
}

QWebEngineProfile* RVMapView::profile()
{
    static QPointer<QWebEngineProfile> shared;
    if (!shared) {
        // A named profile keeps its cache on disk; it lives as long as the application, after
        // every page that uses it.
        shared = new QWebEngineProfile(QStringLiteral("map"), QCoreApplication::instance());
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                              QStringLiteral("/map");
        QDir().mkpath(cache);
        shared->setCachePath(cache);
        shared->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        shared->setHttpCacheMaximumSize(kHttpCacheBytes);
        shared->setHttpUserAgent(userAgent());
        if (tileSchemeRegistered()) {
            tileHandler() = new RVMapViewTileHandler(tileCacheDirectory(), userAgent(), shared);
            shared->installUrlSchemeHandler(RVMapViewTileAddressUtil::kScheme, tileHandler());
        } else {
            tileHandler() = nullptr;
        }
    }
    return shared;
}

QStringList RVMapView::availableProviders()
{
#ifdef KORVELA_HAS_GOOGLE_MAPS_KEY
    return {QStringLiteral("Google"), QStringLiteral("OpenStreetMap")};
#else
    return {QStringLiteral("OpenStreetMap")};
#endif
}

QString RVMapView::mapsProvider()
{
    return RVSettings::mapsProvider(availableProviders());
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
    const QString resource = pageResourceFor(provider);
    const int request = ++m_loadRequest;
    if (resource.isEmpty()) {
        m_pageLoaded = false;
        setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    if (!m_pageLoaded) {
        loadPage(resource, QVariant());
        return;
    }
    // Ask the page showing now where it looks, and open the new page there.
    QPointer<RVMapView> self(this);
    page()->runJavaScript(QStringLiteral("window.korvelaMapView ? korvelaMapView() : null"),
                          [self, resource, request](const QVariant& view) {
                              if (self && self->m_loadRequest == request)
                                  self->loadPage(resource, view);
                          });
}

void RVMapView::loadPage(const QString& resource, const QVariant& view)
{
    m_pageLoaded = false;
    const QString tiles = RVMapViewTileAddressUtil::usableTemplate(RVSettings::mapTileUrl());
    if (tileHandler())
        tileHandler()->setTileTemplate(tiles);
    //% "Map tiles are not available offline"
    QJsonObject config{{QStringLiteral("tileUrl"),
                        tileHandler() ? RVMapViewTileAddressUtil::pageTemplate() : tiles},
                       {QStringLiteral("offlineNote"), qtTrId("MAP_TILES_OFFLINE")}};
    const QVariantMap viewMap = view.toMap();
    if (viewMap.contains(QStringLiteral("zoom")))
        config.insert(QStringLiteral("view"), QJsonObject::fromVariantMap(viewMap));
    // The page reads this before its own scripts run; JSON text is a valid script literal.
    QWebEngineScript script;
    script.setName(kConfigScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setSourceCode(
        QStringLiteral("window.korvelaConfig = %1;")
            .arg(QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact))));
    QWebEngineScriptCollection& scripts = page()->scripts();
    for (const QWebEngineScript& old : scripts.find(kConfigScriptName))
        scripts.remove(old);
    scripts.insert(script);
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
