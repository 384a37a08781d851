#pragma once

#include <QString>
#include <QVariant>

class RVMapView;

// Running scripts in a map view's real page from tests and benchmarks.
namespace MapPageScript {

// The script's value once the page has run it; invalid when that takes over timeoutMs.
QVariant evaluate(RVMapView& view, const QString& script, int timeoutMs = 10000);

} // namespace MapPageScript
