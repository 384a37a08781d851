#include "player/window/RVAdvertisementPolicy.h"

#include <gtest/gtest.h>

using Nav = RVAdvertisementNavigation;

// Only https pages with a host show in the panel. Once its own page has loaded, the page
// loading something by itself means the user acted on it: the home page opens, every time.
TEST(AdvertisementPolicy, OnlyHttpsIsShownAndLaterPageLoadsOpenTheHomePage)
{
    // url, type, main frame, loaded before; shown in the panel, home page opened, loaded after
    const std::tuple<const char*, Nav, bool, bool, bool, bool, bool> steps[] = {
        {"https://korvela.example/reklama.html", Nav::Typed, true, false, true, false, true},
        {"https://a.example/f", Nav::Other, false, false, true, false, false},
        {"https://a.example/", Nav::NewWindow, true, false, false, false, false},
        {"https://ads.example/frame.html", Nav::Other, false, true, true, false, true},
        {"file:///etc/passwd", Nav::LinkClicked, true, true, false, false, true},
        {"https:///nohost", Nav::BackForward, true, true, false, false, true},
        {"https://korvela.example/click", Nav::Other, true, true, true, true, true},
        {"korvela-app://do-something", Nav::Other, true, true, false, true, true},
        {"https://elsewhere.example/", Nav::NewWindow, true, true, false, true, true},
    };
    for (const auto& [url, type, mainFrame, before, allow, open, after] : steps) {
        const auto d = decidePolicyForNavigationAction(QUrl(url), type, mainFrame, before);
        EXPECT_EQ(std::tuple(d.allowInPanel, d.openHomePage, d.advertisementWasLoaded),
                  std::tuple(allow, open, after))
            << url;
    }
}
