#include "player/window/RVSavePanel.h"

#include "core/RVSettings.h"
#include "player/files/RVFileViewer.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVSaveFolder.h"
#include "player/window/RVWindowDialogs.h"

#include <QtDebug>

#include <utility>

RVSavePanel::RVSavePanel(RVMpvPlayer& player, RVTripPlayback& playback,
                         std::shared_ptr<RVWindowDialogs> dialogs)
    : m_player(player), m_playback(playback), m_dialogs(std::move(dialogs))
{}

std::optional<QString> RVSavePanel::choose(const QString& name, const QString& extension,
                                           const char* folderKey,
                                           QStandardPaths::StandardLocation fallback)
{
    const double rate = m_player.rate();
    if (rate != 0.0)
        m_player.pause();
    std::optional<QString> path =
        m_dialogs->chooseSavePath(RVSaveFolder::initial(folderKey, fallback), name, extension);
    if (rate != 0.0 && m_playback.node())
        m_player.setRate(rate);
    if (path)
        RVSaveFolder::remember(folderKey, *path);
    return path;
}

std::optional<QString> RVSavePanel::save(const RVExportWriter& write, const QString& name,
                                         const QString& extension)
{
    const std::optional<QString> path =
        choose(name, extension, RVSettings::kLastExportFolder, QStandardPaths::DocumentsLocation);
    if (!path)
        return std::nullopt;
    const RVWriteResult result = write(*path);
    if (!result.ok) {
        qInfo().noquote() << "Write returned error:" << result.error;
        //% "Error"
        const QString title = qtTrId("ERROR_TITLE");
        //% "The file could not be saved: %1"
        QString message = qtTrId("ERROR_CANT_SAVE_FILE");
        message = message.contains(QLatin1String("%1")) ? message.arg(result.error)
                                                        : message + QLatin1Char(' ') + result.error;
        m_dialogs->alert(title, message);
        return std::nullopt;
    }
    RVFileViewer::revealFiles({*path});
    return path;
}
