// The advertisement panel: its navigation policy, and its place in the real window.

#include "ClipFactory.h"
#include "WindowTestSupport.h"

#include "player/RVAdvertisementPolicy.h"
#include "player/RVAvertisementView.h"
#include "player/RVMainViewController.h"
#include "player/RVVideoOutlineView.h"

#include <QMainWindow>
#include <QTcpServer>

#include <gtest/gtest.h>

using ClipFactory::waitFor;
using Nav = RVAdvertisementNavigation;

namespace {

struct Step
{
    const char* url;
    Nav type;
    bool mainFrame;
    bool allow;
    bool openHomePage;
};

} // namespace

TEST(AdvertisementPolicy, OwnLoadThenLaterPageLoadsOpenTheHomePageAndOnlyHttpsIsShown)
{
    // One panel's life: its own load, frames, links, and the page sending itself elsewhere.
    const Step steps[] = {
        // The panel's own first load: shown, no browser.
        {"https://korvela.example/reklama.html", Nav::Typed, true, true, false},
        // Frames and redirects of the page: shown when https, never open the browser.
        {"https://ads.example/frame.html", Nav::Other, false, true, false},
        {"https://korvela.example/reklama2.html", Nav::Redirect, true, true, false},
        // Links, forms, history and reloads stay in the panel, https with a host only.
        {"file:///etc/passwd", Nav::LinkClicked, true, false, false},
        {"https:///nohost", Nav::BackForward, true, false, false},
        // The page loading something by itself after its first load: the user acted on it, so
        // the home page opens, every time; the panel follows only to https.
        {"https://korvela.example/click", Nav::Other, true, true, true},
        {"korvela-app://do-something", Nav::Other, true, false, true},
        // New windows never open in the panel; after the first load they open the home page.
        {"https://elsewhere.example/", Nav::NewWindow, true, false, true},
    };
    bool loaded = false;
    for (const Step& step : steps) {
        const RVAdvertisementDecision decision = decidePolicyForNavigationAction(
            QUrl(QString::fromUtf8(step.url)), step.type, step.mainFrame, loaded);
        EXPECT_EQ(decision.allowInPanel, step.allow) << step.url << " type " << int(step.type);
        EXPECT_EQ(decision.openHomePage, step.openHomePage)
            << step.url << " type " << int(step.type);
        loaded = decision.advertisementWasLoaded;
        EXPECT_TRUE(loaded) << step.url; // set by the first step and never cleared
    }

    // Before the page's own load: a new window opens nothing, a frame does not count as the
    // panel's load, and the page's "other" load is its first (no browser).
    auto fresh = [](const char* url, Nav type, bool mainFrame) {
        return decidePolicyForNavigationAction(QUrl(QString::fromUtf8(url)), type, mainFrame,
                                               false);
    };
    EXPECT_FALSE(fresh("https://a.example/", Nav::NewWindow, true).openHomePage);
    EXPECT_FALSE(fresh("https://a.example/f", Nav::Other, false).advertisementWasLoaded);
    const RVAdvertisementDecision first = fresh("https://a.example/", Nav::Other, true);
    EXPECT_TRUE(first.allowInPanel);
    EXPECT_FALSE(first.openHomePage);
    EXPECT_TRUE(first.advertisementWasLoaded);
}

TEST(AdvertisementPanel, SizedByThePageInTheWindowAndHiddenWhenThePageFails)
{
    windowtest::IsolatedSettings settings;
    // A server that is not there: the page load fails a moment after the window is up.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 closed = probe.serverPort();
    probe.close();

    RVMainViewController controller(std::make_shared<ScriptedDialogs>());
    controller.setAdvertisementServer(QStringLiteral("https://127.0.0.1:%1").arg(closed));
    controller.loadView(windowtest::makeVideoList(false));
    QWidget* panel = controller.advertisementContainer();
    ASSERT_NE(controller.advertisementWebView(), nullptr);
    QList<QUrl> opened;
    controller.advertisementWebView()->setOpenInBrowser([&](const QUrl& url) { opened << url; });
    EXPECT_EQ(panel->maximumHeight(), 0); // no height until the page has said one

    // The page's height, before its load has come to an end.
    controller.adjustAdvHeight(80);
    EXPECT_EQ(panel->maximumHeight(), 80);
    controller.adjustAdvHeight(0);
    EXPECT_EQ(panel->maximumHeight(), 80); // nothing below 1 changes it
    // A page asking for more than the window can give leaves the list most of its column.
    controller.adjustAdvHeight(100000);
    EXPECT_EQ(panel->maximumHeight(), 200);
    controller.adjustAdvHeight(80);

    controller.window()->resize(900, 600);
    controller.window()->show();
    ASSERT_TRUE(waitFor([&] { return panel->height() == 80; }));
    const QRect list = controller.filesView()->geometry();
    EXPECT_LE(list.bottom(), panel->geometry().top());
    EXPECT_GT(list.height(), 250);

    // The page cannot be fetched: the panel goes out of sight and later heights are ignored.
    ASSERT_TRUE(waitFor([&] { return controller.advertisementWebView()->failedToLoad(); }, 20000));
    EXPECT_EQ(panel->maximumHeight(), 0);
    controller.adjustAdvHeight(80);
    EXPECT_EQ(panel->maximumHeight(), 0);
    // Its own load counted as the page's first, and opened no browser.
    EXPECT_TRUE(controller.advertisementWebView()->advertisementWasLoaded());
    EXPECT_TRUE(opened.isEmpty());

    // Without a server there is no panel at all.
    RVMainViewController bare(std::make_shared<ScriptedDialogs>());
    bare.loadView(windowtest::makeVideoList(false));
    EXPECT_EQ(bare.advertisementWebView(), nullptr);
    bare.adjustAdvHeight(80);
    EXPECT_EQ(bare.advertisementContainer()->maximumHeight(), 0);
}
