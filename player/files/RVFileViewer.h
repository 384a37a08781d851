#pragma once

#include <QStringList>

#include <functional>

// Shows files in the desktop's file manager. Stateless.
class RVFileViewer final
{
public:
    RVFileViewer() = delete;

    // Asks the file manager to open the files' folders with the files selected, through the
    // freedesktop file-manager interface (org.freedesktop.FileManager1.ShowItems) on the session
    // bus. The call does not wait for the answer; when there is no such file manager, or it
    // answers with an error, the folder of the first file is opened instead. When that cannot
    // be opened either (no program for folders), notShown is called with the folder, maybe
    // later, on this thread. False only when there was nothing to show.
    static bool revealFiles(const QStringList& paths,
                            std::function<void(const QString& folder)> notShown = {});
    // Opens the file with the desktop's program for its type; false when no program could be
    // asked to (none is set up).
    static bool openFile(const QString& path);
};
