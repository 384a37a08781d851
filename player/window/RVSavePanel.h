#pragma once

#include "player/window/RVExportCommands.h"

#include <QStandardPaths>
#include <QString>

#include <memory>
#include <optional>

class RVMpvPlayer;
class RVTripPlayback;
class RVWindowDialogs;

// The window's save panel. The video pauses while it is open, so that the frame the user is
// saving, or the minute being exported, stays on screen, and plays on after when it was
// playing. Each kind of file opens in the folder last confirmed for it.
class RVSavePanel final
{
public:
    RVSavePanel(RVMpvPlayer& player, RVTripPlayback& playback,
                std::shared_ptr<RVWindowDialogs> dialogs);

    // The panel with the proposed name and the one extension, in the folder last confirmed
    // for its kind of file (settings key `folderKey`, else `fallback`); the folder of a chosen
    // path is kept for next time. None when cancelled.
    std::optional<QString> choose(const QString& name, const QString& extension,
                                  const char* folderKey, QStandardPaths::StandardLocation fallback);
    // An export: runs the panel, then has the writer write the file there and shows it in the
    // file manager. The saved path, or none when cancelled or not written (a failed write is
    // reported in an alert).
    std::optional<QString> save(const RVExportWriter& write, const QString& name,
                                const QString& extension);

private:
    RVMpvPlayer& m_player;
    RVTripPlayback& m_playback;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
};
