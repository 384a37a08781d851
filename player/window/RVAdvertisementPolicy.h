#pragma once

#include <QUrl>

// How the advertisement panel treats a navigation, as a pure decision.
//
// The panel shows one page of the maker's server. Its own first load, and any later load the
// page starts by itself (a script changing its location: not a link click, form, history move
// or reload), are the panel's "other" loads; once the page has been loaded, each further one
// means the user acted on the advertisement, and the maker's home page opens in the desktop
// browser. Whatever the type, the panel follows a navigation only to an https address:
// anything else (http, file, data, javascript, custom schemes) is refused, so the panel never
// shows content that was not fetched securely or reaches into the local machine. Loads of
// embedded frames never open the browser and do not count as the panel's own load, so a
// page with frames cannot open browser windows by itself. A request for a new window opens
// the home page in the browser (never in the panel) once the page has been loaded.
enum class RVAdvertisementNavigation
{
    LinkClicked,
    FormSubmitted,
    BackForward,
    Reload,
    Typed, // a load the program started (the panel's own page)
    Other, // started by the page itself, such as a script setting its location
    Redirect,
    NewWindow
};

struct RVAdvertisementDecision final
{
    bool allowInPanel = false;
    bool openHomePage = false;
    bool advertisementWasLoaded = false; // the state after this navigation
};

RVAdvertisementDecision decidePolicyForNavigationAction(const QUrl& url,
                                                        RVAdvertisementNavigation type,
                                                        bool isMainFrame,
                                                        bool advertisementWasLoaded);
