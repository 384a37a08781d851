#include "player/window/RVExportMenu.h"

#include "export/RVExportFileUtil.h"
#include "library/RVVideoList.h"
#include "player/window/RVExportCommands.h"
#include "player/window/RVSavePanel.h"
#include "player/window/RVWindowDialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QtDebug>

#include <utility>

namespace {
// A localised format with one "%1" for a name; without a place for it the name still shows.
QString withName(const QString& format, const QString& name)
{
    return format.contains(QLatin1String("%1")) ? format.arg(name)
                                                : format + QLatin1Char(' ') + name;
}
} // namespace

RVExportMenu::RVExportMenu(RVVideoList& videoList, RVSavePanel& savePanel,
                           std::shared_ptr<RVWindowDialogs> dialogs, NodeForCommand nodeForCommand,
                           ShowStatus showStatus)
    : m_videoList(videoList), m_savePanel(savePanel), m_dialogs(std::move(dialogs)),
      m_nodeForCommand(std::move(nodeForCommand)), m_showStatus(std::move(showStatus))
{}

RVVideoDataPtr RVExportMenu::nodeForExport() const
{
    RVVideoDataPtr node = m_nodeForCommand();
    if (node && !node->points()) {
        // Not read yet (the background scan has not reached it, or a trip that was never
        // opened): read it now rather than offering nothing. A read of one recording or the
        // joining of a trip's read recordings takes a moment.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_videoList.readGpsInfo(node, false);
        QApplication::restoreOverrideCursor();
    }
    return node;
}

void RVExportMenu::exportKml()
{
    const RVVideoDataPtr node = nodeForExport();
    if (!node)
        return;
    if (std::optional<RVExportWriter> writer = RVExportCommands::kml(node))
        m_savePanel.save(*writer, node->name(), QStringLiteral("kml"));
}

void RVExportMenu::exportGpx()
{
    const RVVideoDataPtr node = nodeForExport();
    if (!node)
        return;
    if (std::optional<RVExportWriter> writer = RVExportCommands::gpx(node))
        m_savePanel.save(*writer, node->name(), QStringLiteral("gpx"));
}

void RVExportMenu::exportTables()
{
    const RVVideoDataPtr node = nodeForExport();
    if (!node)
        return;
    const std::optional<RVExportWriter> gpsTable = RVExportCommands::gpsTable(node);
    if (!gpsTable)
        return;
    const std::optional<QString> saved =
        m_savePanel.save(*gpsTable, node->name() + QStringLiteral(".gps"), QStringLiteral("csv"));
    if (!saved)
        return;
    // The acceleration table goes beside it without a second panel: Trip.gps.csv gives
    // Trip.gsensor.csv. The status bar names every file written, so the second is found too.
    QStringList written{QFileInfo(*saved).fileName()};
    if (std::optional<RVExportWriter> sensorTable = RVExportCommands::sensorTable(node)) {
        const QString sensorPath = RVExportFileUtil::sensorTablePath(*saved);
        const RVWriteResult result = (*sensorTable)(sensorPath);
        if (!result.ok) {
            qInfo().noquote() << "Write returned error:" << result.error;
            //% "Error"
            const QString title = qtTrId("ERROR_TITLE");
            m_dialogs->alert(title, withName(qtTrId("ERROR_CANT_SAVE_FILE"), result.error));
        } else {
            written << QFileInfo(sensorPath).fileName();
        }
    }
    //% "Saved: %1"
    m_showStatus(withName(qtTrId("EXPORT_SAVED_FILES"), written.join(QLatin1String(", "))));
}

void RVExportMenu::reportUnreadCamera()
{
    const RVVideoDataPtr node = m_nodeForCommand();
    if (!node) {
        //% "Report an unread camera"
        const QString title = qtTrId("REPORT_UNREAD_CAMERA_TITLE");
        //% "Select the recording whose camera is not read, then choose this command again."
        m_dialogs->alert(title, qtTrId("REPORT_SELECT_RECORDING"));
        return;
    }
    if (std::optional<RVExportWriter> writer = RVExportCommands::cameraReport(node))
        m_savePanel.save(*writer, node->name() + QStringLiteral(".probe"), QStringLiteral("json"));
}
