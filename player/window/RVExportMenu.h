#pragma once

#include "library/RVVideoData.h"

#include <QString>

#include <functional>
#include <memory>

class RVSavePanel;
class RVVideoList;
class RVWindowDialogs;

// The file list's export commands: the track as KML or GPX, and the track and acceleration
// tables (one save panel, two files). Each acts on the node the list's command is for; a node
// not read yet is read first, and a node with nothing to export opens no save panel.
class RVExportMenu final
{
public:
    // The node the file list's commands act on (the context menu's row, else the selection).
    using NodeForCommand = std::function<RVVideoDataPtr()>;
    // Shows a line on the window's status bar.
    using ShowStatus = std::function<void(const QString&)>;

    RVExportMenu(RVVideoList& videoList, RVSavePanel& savePanel,
                 std::shared_ptr<RVWindowDialogs> dialogs, NodeForCommand nodeForCommand,
                 ShowStatus showStatus);

    void exportKml();
    void exportGpx();
    // Both tables from one save panel; the status bar names every file written.
    void exportTables();
    // Saves the probe of the command's recording (every view) where the user picks, for a
    // maintainer to add its camera; without a recording, says how to choose one.
    void reportUnreadCamera();

private:
    RVVideoDataPtr nodeForExport() const;

    RVVideoList& m_videoList;
    RVSavePanel& m_savePanel;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    NodeForCommand m_nodeForCommand;
    ShowStatus m_showStatus;
};
