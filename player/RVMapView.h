#pragma once

#include "player/RVMapScriptRunner.h"

#include <QWebEngineView>

class QWebChannel;
class RVMapScriptObject;

// The map page in a web view. Pages are resources named after the map provider
// (":/maps/<provider>.html"); the page reaches the program through the "Cocoa" object.
class RVMapView final : public QWebEngineView, public RVMapScriptRunner
{
    Q_OBJECT

public:
    explicit RVMapView(QWidget* parent = nullptr);

    // Stores the provider and loads its page; a provider without a page loads nothing.
    void setMapsProvider(const QString& provider);
    static QString pageResourceFor(const QString& provider);

    void runScript(const QString& script) override;
    RVMapScriptObject* scriptObject() const { return m_scriptObject; }

Q_SIGNALS:
    // A second after a page has loaded, when its map is ready for the route.
    void pageReady();

private:
    QWebChannel* m_channel;
    RVMapScriptObject* m_scriptObject;
    bool m_pageLoaded = false; // scripts reach a page only once it has loaded
};
