#include "MapPageScript.h"

#include "player/RVMapView.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>

namespace MapPageScript {

QVariant evaluate(RVMapView& view, const QString& script, int timeoutMs)
{
    QVariant result;
    bool done = false;
    QEventLoop loop;
    view.page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

bool waitFor(RVMapView& view, const QString& script, int timeoutMs, int pollMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (evaluate(view, script, timeoutMs).toBool())
            return true;
        if (pollMs > 0) {
            // Waiting on a signal that never comes keeps the event loop turning meanwhile.
            QSignalSpy idle(&view, &QObject::destroyed);
            idle.wait(pollMs);
        }
    }
    return false;
}

} // namespace MapPageScript
