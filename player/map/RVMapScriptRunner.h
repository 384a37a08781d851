#pragma once

#include <QString>

// Something that runs script texts in the map page, in the order given. The web view runs
// them asynchronously but in order, so a route drawn by several calls is complete before the
// next position update reaches the page; tests record the texts instead.
class RVMapScriptRunner
{
public:
    virtual ~RVMapScriptRunner() = default;
    virtual void runScript(const QString& script) = 0;
    // False while scripts would be dropped (no page loaded yet).
    virtual bool isReady() const { return true; }
};
