#pragma once

#include <QDateTime>
#include <QStandardPaths>
#include <QString>

// Where a save panel opens and what it proposes: the folder last confirmed for that kind of
// file (kept in the settings under `settingsKey`), else the desktop's folder for it; and the
// name of a still picture.
class RVSaveFolder final
{
public:
    RVSaveFolder() = delete;

    // The stored folder when it still exists, else `fallback` when it exists, else home.
    static QString initial(const char* settingsKey, QStandardPaths::StandardLocation fallback);
    // Keeps the folder of `chosenPath` for the next panel of that kind.
    static void remember(const char* settingsKey, const QString& chosenPath);

    // A still's name without extension: the recording file's base name and the local clock
    // time of the frame, "20170708_221449_NF 2017-07-08 22-15-03" (dashes: colons are not
    // allowed in file names everywhere). Without a known start time, the seconds into the
    // file: "20170708_221449_NF - 14 second".
    static QString stillName(const QString& filePath, const QDateTime& fileStart,
                             double secondsIntoFile);
};
