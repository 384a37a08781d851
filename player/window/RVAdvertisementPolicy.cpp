#include "player/window/RVAdvertisementPolicy.h"

RVAdvertisementDecision decidePolicyForNavigationAction(const QUrl& url,
                                                        RVAdvertisementNavigation type,
                                                        bool isMainFrame,
                                                        bool advertisementWasLoaded)
{
    RVAdvertisementDecision decision;
    decision.advertisementWasLoaded = advertisementWasLoaded;
    if (type == RVAdvertisementNavigation::NewWindow) {
        decision.openHomePage = advertisementWasLoaded;
        return decision;
    }
    decision.allowInPanel =
        url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
    const bool panelsOwnKind =
        type == RVAdvertisementNavigation::Typed || type == RVAdvertisementNavigation::Other;
    if (isMainFrame && panelsOwnKind) {
        decision.openHomePage = advertisementWasLoaded;
        decision.advertisementWasLoaded = true;
    }
    return decision;
}
