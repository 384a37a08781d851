#pragma once

#include <QStringList>

// Shows files in the desktop's file manager. Stateless.
class RVFileViewer final
{
public:
    RVFileViewer() = delete;

    // Asks the file manager to open the files' folders with the files selected, through the
    // freedesktop file-manager interface (org.freedesktop.FileManager1.ShowItems) on the session
    // bus. The call does not wait for the answer; when there is no such file manager, or it
    // answers with an error, the folder of the first file is opened instead. False only when
    // there was nothing to show.
    static bool revealFiles(const QStringList& paths);
};
