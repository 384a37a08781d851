#pragma once

#include "player/map/RVMapScriptRunner.h"

#include <QStringList>
#include <QWebEngineView>

class QWebChannel;
class QWebEngineProfile;
class RVMapViewTileHandler;
class RVMapScriptObject;

// The map page in a web view. Pages are resources named after the map provider
// (":/maps/<provider>.html"); the page reaches the program through the "Cocoa" object.
// Every map view shares one web profile. Its pages ask for tiles under the program's own
// scheme, which RVMapViewTileHandler serves from the tile server through a disk cache under
// the user's cache folder (so tiles seen before show offline); the scheme must be registered
// before the application object exists (registerTileScheme), otherwise the pages ask the tile
// server directly.
//
// The map is one stop of the window's Tab order: Tab and Shift+Tab in the page hand the focus
// on to the window's next or previous control instead of walking the page's own links, which
// would keep the focus in the page for good.
class RVMapView final : public QWebEngineView, public RVMapScriptRunner
{
    Q_OBJECT

public:
    explicit RVMapView(QWidget* parent = nullptr);

    // Stores the provider and loads its page; a provider without a page loads nothing. A page
    // already showing a map hands its view (centre and zoom) to the new page.
    void setMapsProvider(const QString& provider);
    static QString pageResourceFor(const QString& provider);
    // The providers this build can show, the default first: Google's map only when a key was
    // built in (without one its page could only show the OpenStreetMap page under another name).
    static QStringList availableProviders();
    // The stored provider when this build offers it, otherwise the default.
    static QString mapsProvider();

    // What tile servers are told: the program and its version.
    static QString userAgent();
    // Declares the tile scheme to the web engine; call before the QApplication is made.
    static void registerTileScheme();
    // Where the tiles are cached (RVMapTiles::cacheDirectory, which the clips read too).
    static QString tileCacheDirectory();
    // The shared profile of the map pages, made on first use.
    static QWebEngineProfile* profile();

    void runScript(const QString& script) override;
    bool isReady() const override { return m_pageLoaded; }
    RVMapScriptObject* scriptObject() const { return m_scriptObject; }

Q_SIGNALS:
    // A second after a page has loaded, when its map is ready for the route.
    void pageReady();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Loads the page with the settings it reads at start (tile address, view to show).
    void loadPage(const QString& resource, const QVariant& view);

    QWebChannel* m_channel;
    RVMapScriptObject* m_scriptObject;
    bool m_pageLoaded = false; // scripts reach a page only once it has loaded
    int m_loadRequest = 0;     // a provider chosen again while the view is asked wins
};
