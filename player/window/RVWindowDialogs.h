#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The window's own modal questions and panels, behind one small interface so the logic that
// asks can be tested with scripted answers. The window uses RVWidgetDialogs; tests supply
// their own. (The updater's questions have their own interface, with localisation keys.)
// Titles and messages arrive already localised; button titles are fixed ("Ok", "Yes", "No").
class RVWindowDialogs
{
public:
    virtual ~RVWindowDialogs() = default;

    // An alert with the one button "Ok": message in bold, informative text below it.
    virtual void alert(const QString& message, const QString& informativeText) = 0;
    // A question with "Yes" and "No" (the default: Enter and Escape take the safe answer);
    // true when "Yes" was chosen.
    virtual bool question(const QString& message, const QString& informativeText) = 0;
    // Files and folders, several at once; empty when cancelled.
    virtual QStringList chooseFilesAndFolders() = 0;
    // A save panel in `folder` proposing `proposedName` with `extension` as the only file
    // type; the chosen path always ends in ".extension". None when cancelled.
    virtual std::optional<QString> chooseSavePath(const QString& folder,
                                                  const QString& proposedName,
                                                  const QString& extension) = 0;
};
