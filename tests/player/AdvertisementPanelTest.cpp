#include "WindowTestSupport.h"

#include "player/RVAdvertisementPolicy.h"
#include "player/RVAvertisementView.h"
#include "player/RVMainViewController.h"
#include "support/Support.h"

#include <QTcpServer>

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
        const RVAdvertisementDecision d =
            decidePolicyForNavigationAction(QUrl(url), type, mainFrame, before);
        EXPECT_EQ(std::tuple(d.allowInPanel, d.openHomePage, d.advertisementWasLoaded),
                  std::tuple(allow, open, after))
            << url;
    }
}

// The page sets the panel's height, within what the window can give, until its load fails;
// without a server there is no panel.
TEST(AdvertisementPanel, SizedByThePageAndHiddenWhenThePageFails)
{
    windowtest::IsolatedSettings settings;
    QTcpServer probe; // a port nobody listens on: the page load fails soon
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.serverPort();
    probe.close();
    for (const bool server : {true, false}) {
        RVMainViewController controller(std::make_shared<ScriptedDialogs>());
        if (server)
            controller.setAdvertisementServer(QStringLiteral("https://127.0.0.1:%1").arg(closed));
        controller.loadView(windowtest::makeVideoList(false));
        RVAvertisementView* page = controller.advertisementWebView();
        ASSERT_EQ(page != nullptr, server);
        std::vector<int> heights{controller.advertisementContainer()->maximumHeight()};
        for (int asked : {80, 0, 100000, 80, -1, 80}) {
            if (asked < 0 && server) {
                ASSERT_TRUE(support::waitFor([&] { return page->failedToLoad(); }, 20000));
            }
            controller.adjustAdvHeight(asked);
            heights.push_back(controller.advertisementContainer()->maximumHeight());
        }
        EXPECT_EQ(heights, server ? std::vector({0, 80, 80, 200, 80, 0, 0}) : std::vector<int>(7));
    }
}
