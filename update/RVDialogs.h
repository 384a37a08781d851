#pragma once

#include <QCoreApplication>
#include <QString>

// The modal questions and alerts of the updates, answered by the window (which looks the keys
// up in the current language and shows the fixed button titles "Ok", "Yes" and "No"). The
// updater calls these on the GUI thread only; its background firmware check hands them over
// and waits for the answer. Implementations may run a nested event loop.
class RVDialogs
{
public:
    virtual ~RVDialogs() = default;

    // Alert with one "Ok" button: the localised titleKey as message, the localised messageKey
    // as informative text.
    virtual void alert(const QString& titleKey, const QString& messageKey) = 0;

    // Question with "Yes" (default) and "No"; true only for "Yes".
    virtual bool question(const QString& titleKey, const QString& messageKey) = 0;

    // Alert with one "Ok" button whose texts are shown as they stand (not localised).
    virtual void plainAlert(const QString& message, const QString& informativeText) = 0;

    // A newer version exists but this copy cannot update itself (installed by the package
    // manager, or in a folder the user cannot change): says so, and where to get it.
    virtual void newVersionAvailable(const QString& version, const QString& downloadUrl)
    {
        //% "Korvela Player %1 is available"
        //% "This copy cannot update itself: it was installed by the system's package manager or
        //% in a folder you cannot change. Get the new version from your package manager or
        //% from %1"
        plainAlert(qtTrId("UPDATE_AVAILABLE_TITLE").arg(version),
                   qtTrId("UPDATE_AVAILABLE_MESSAGE").arg(downloadUrl));
    }

    // Shows that long work runs in the background while the window stays usable: the localised
    // titleKey with done of total steps (total 0: the amount is not known yet). Called again as
    // the work advances; hideProgress ends it. The default shows nothing.
    virtual void showProgress(const QString& titleKey, qint64 done, qint64 total)
    {
        Q_UNUSED(titleKey);
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    virtual void hideProgress() {}
};
