#include "MapPageScript.h"

#include "player/map/RVMapView.h"
#include "support/Support.h"

#include <QWebEnginePage>

#include <memory>
#include <optional>

namespace MapPageScript {

QVariant evaluate(RVMapView& view, const QString& script, int timeoutMs)
{
    // Shared, so that an answer arriving after the time-out writes into live memory.
    auto result = std::make_shared<std::optional<QVariant>>();
    view.page()->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    support::waitFor([&] { return result->has_value(); }, timeoutMs);
    return result->value_or(QVariant());
}

} // namespace MapPageScript
