#pragma once

#include <QObject>
#include <QString>

// The object the map page finds as "Cocoa". Qt WebChannel publishes every invokable method of
// an object, so the page gets this small object with exactly the calls it may make rather
// than the window controller itself.
class RVMapScriptObject final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // A click on the route at this position, degrees.
    Q_INVOKABLE void log(double latitude, double longitude)
    {
        Q_EMIT routeClicked(latitude, longitude);
    }
    // A click on the whole card's map, on the route of trip `id` (as drawCardRoute named it)
    // at this position, degrees.
    Q_INVOKABLE void cardRouteClicked(int id, double latitude, double longitude)
    {
        Q_EMIT cardRouteClickedAt(id, latitude, longitude);
    }
    // A key pressed while the map has the focus: "spacebar" or "alt enter".
    Q_INVOKABLE void onMapKeyPressed(const QString& name) { Q_EMIT mapKeyPressed(name); }

Q_SIGNALS:
    void routeClicked(double latitude, double longitude);
    void mapKeyPressed(const QString& name);
    void cardRouteClickedAt(int id, double latitude, double longitude);
};
