#include "WindowTestSupport.h"

#include "player/RVAdvertisementPolicy.h"
#include "player/RVAvertisementView.h"
#include "player/RVMainViewController.h"
#include "player/RVVideoOutlineView.h"
#include "support/Support.h"

#include <QMainWindow>
#include <QTcpServer>

#include <gtest/gtest.h>

using Nav = RVAdvertisementNavigation;

// Only https pages with a host show in the panel. Once its own page has loaded, the page
// loading something by itself means the user acted on it: the home page opens, every time.
TEST(AdvertisementPolicy, OnlyHttpsIsShownAndLaterPageLoadsOpenTheHomePage)
{
    const struct
    {
        const char* url;
        Nav type;
        bool mainFrame, loadedBefore, allow, openHomePage, loadedAfter;
    } steps[] = {
        {"https://korvela.example/reklama.html", Nav::Typed, true, false, true, false, true},
        {"https://a.example/", Nav::Other, true, false, true, false, true},
        {"https://a.example/f", Nav::Other, false, false, true, false, false},
        {"https://a.example/", Nav::NewWindow, true, false, false, false, false},
        {"https://ads.example/frame.html", Nav::Other, false, true, true, false, true},
        {"https://korvela.example/reklama2.html", Nav::Redirect, true, true, true, false, true},
        {"file:///etc/passwd", Nav::LinkClicked, true, true, false, false, true},
        {"https:///nohost", Nav::BackForward, true, true, false, false, true},
        {"https://korvela.example/click", Nav::Other, true, true, true, true, true},
        {"korvela-app://do-something", Nav::Other, true, true, false, true, true},
        {"https://elsewhere.example/", Nav::NewWindow, true, true, false, true, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.url << " type " << int(s.type));
        const RVAdvertisementDecision d = decidePolicyForNavigationAction(
            QUrl(QString::fromUtf8(s.url)), s.type, s.mainFrame, s.loadedBefore);
        EXPECT_EQ(d.allowInPanel, s.allow);
        EXPECT_EQ(d.openHomePage, s.openHomePage);
        EXPECT_EQ(d.advertisementWasLoaded, s.loadedAfter);
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
    EXPECT_LE(controller.filesView()->geometry().bottom(), panel->geometry().top());
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
