#include "WindowTestSupport.h"

#include "player/RVAdvertisementPolicy.h"
#include "player/RVAvertisementView.h"
#include "player/RVMainViewController.h"
#include "support/Support.h"

#include <QMainWindow>
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

// The page sets the panel's height, within what the window can give, until its load fails.
TEST(AdvertisementPanel, SizedByThePageInTheWindowAndHiddenWhenThePageFails)
{
    windowtest::IsolatedSettings settings;
    QTcpServer probe; // a port nobody listens on: the page load fails soon
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.serverPort();
    probe.close();
    RVMainViewController controller(std::make_shared<ScriptedDialogs>());
    controller.setAdvertisementServer(QStringLiteral("https://127.0.0.1:%1").arg(closed));
    controller.loadView(windowtest::makeVideoList(false));
    QWidget* panel = controller.advertisementContainer();
    RVAvertisementView* page = controller.advertisementWebView();
    ASSERT_NE(page, nullptr);
    QList<QUrl> opened;
    page->setOpenInBrowser([&](const QUrl& url) { opened << url; });
    std::vector<int> heights{panel->maximumHeight()};
    for (int asked : {80, 0, 100000, 80}) {
        controller.adjustAdvHeight(asked);
        heights.push_back(panel->maximumHeight());
    }
    EXPECT_EQ(heights, (std::vector<int>{0, 80, 80, 200, 80}));

    controller.window()->resize(900, 600);
    controller.window()->show();
    ASSERT_TRUE(support::waitFor([&] { return panel->height() == 80; }));
    ASSERT_TRUE(support::waitFor([&] { return page->failedToLoad(); }, 20000));
    controller.adjustAdvHeight(80);
    EXPECT_EQ(panel->maximumHeight(), 0);
    EXPECT_TRUE(page->advertisementWasLoaded()); // its own load, which opens no browser
    EXPECT_TRUE(opened.isEmpty());

    RVMainViewController bare(std::make_shared<ScriptedDialogs>());
    bare.loadView(windowtest::makeVideoList(false));
    EXPECT_EQ(bare.advertisementWebView(), nullptr);
    bare.adjustAdvHeight(80);
    EXPECT_EQ(bare.advertisementContainer()->maximumHeight(), 0);
}
