#pragma once

#include "library/RVVideoData.h"

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

    RVExportMenu(RVVideoList& videoList, RVSavePanel& savePanel,
                 std::shared_ptr<RVWindowDialogs> dialogs, NodeForCommand nodeForCommand);

    void exportKml();
    void exportGpx();
    void exportTables();

private:
    RVVideoDataPtr nodeForExport() const;

    RVVideoList& m_videoList;
    RVSavePanel& m_savePanel;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    NodeForCommand m_nodeForCommand;
};
