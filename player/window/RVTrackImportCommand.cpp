#include "player/window/RVTrackImportCommand.h"

#include "library/RVVideoList.h"
#include "player/window/RVWindowDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

// A localised format with one "%1"; without a place for it the value still shows.
QString withValue(const QString& format, const QString& value)
{
    return format.contains(QLatin1String("%1")) ? format.arg(value)
                                                : format + QLatin1Char(' ') + value;
}

// The reader's reason in the user's language, with where it broke or the file's name.
QString reasonOf(const RVTrackFileReading& reading)
{
    QString reason;
    switch (reading.error) {
    case RVTrackFileError::None:
        break;
    case RVTrackFileError::Unreadable:
        //% "The file could not be read."
        reason = qtTrId("IMPORT_TRACK_UNREADABLE");
        break;
    case RVTrackFileError::UnknownFormat:
        //% "The file is not a GPX, KML or NMEA track."
        reason = qtTrId("IMPORT_TRACK_UNKNOWN_FORMAT");
        break;
    case RVTrackFileError::Malformed:
        //% "The %1 file is damaged."
        reason = withValue(qtTrId("IMPORT_TRACK_DAMAGED"), reading.format);
        break;
    case RVTrackFileError::NoTimedPoint:
        //% "The %1 file holds no position with a time, so it cannot be matched to the recordings."
        reason = withValue(qtTrId("IMPORT_TRACK_NO_TIMED_POINT"), reading.format);
        break;
    }
    return reading.detail.isEmpty() ? reason : reason + QStringLiteral("\n") + reading.detail;
}

} // namespace

RVTrackImportCommand::RVTrackImportCommand(RVVideoList& videoList,
                                           std::shared_ptr<RVWindowDialogs> dialogs,
                                           NodeForCommand nodeForCommand, ShowStatus showStatus,
                                           QWidget* parent, AskChoice askChoice)
    : m_videoList(videoList), m_dialogs(std::move(dialogs)),
      m_nodeForCommand(std::move(nodeForCommand)), m_showStatus(std::move(showStatus)),
      m_parent(parent), m_askChoice(std::move(askChoice))
{
    m_import = new QAction(this);
    m_import->setObjectName(QStringLiteral("importTrack"));
    m_remove = new QAction(this);
    m_remove->setObjectName(QStringLiteral("removeImportedTrack"));
    connect(m_import, &QAction::triggered, this, &RVTrackImportCommand::importTrack);
    connect(m_remove, &QAction::triggered, this, &RVTrackImportCommand::removeImportedTrack);
    localize();
}

RVTrackImportCommand::~RVTrackImportCommand()
{
    *m_alive = false;
}

void RVTrackImportCommand::localize()
{
    //% "Import Track…"
    m_import->setText(qtTrId("MENU_IMPORT_TRACK"));
    //% "Remove Imported Track"
    m_remove->setText(qtTrId("MENU_REMOVE_IMPORTED_TRACK"));
}

void RVTrackImportCommand::importTrack()
{
    const RVVideoDataPtr node = m_nodeForCommand();
    if (!node) {
        //% "Choose a recording first"
        const QString title = qtTrId("IMPORT_TRACK_NO_SELECTION_TITLE");
        //% "Select a recording or trip of the card in the list, then import the track for it."
        m_dialogs->alert(title, qtTrId("IMPORT_TRACK_NO_SELECTION_MESSAGE"));
        return;
    }
    const std::optional<RVTrackImportChoice> choice =
        m_askChoice ? m_askChoice(node) : askWithWidgets(node);
    if (!choice)
        return;
    //% "Importing %1…"
    m_showStatus(withValue(qtTrId("STATUS_IMPORTING_TRACK"), QFileInfo(choice->path).fileName()));
    const std::shared_ptr<bool> alive = m_alive;
    m_videoList.importTrackInBackground(
        choice->path, {node}, choice->wholeCard,
        choice->preferImported ? RVImportPreference::ImportFirst : RVImportPreference::CameraFirst,
        [this, alive](const RVImportResult& result) {
            if (!*alive)
                return;
            if (!result.reading.ok()) {
                //% "The track could not be imported"
                m_dialogs->alert(qtTrId("IMPORT_TRACK_FAILED_TITLE"), reasonOf(result.reading));
                m_showStatus(QString());
                return;
            }
            if (!result.storeError.isEmpty()) {
                m_dialogs->alert(qtTrId("IMPORT_TRACK_FAILED_TITLE"), result.storeError);
                m_showStatus(QString());
                return;
            }
            //% "Imported track: %1 recordings lie within its time"
            m_showStatus(withValue(qtTrId("STATUS_TRACK_IMPORTED"),
                                   QString::number(result.matchedRecordings)));
        });
}

void RVTrackImportCommand::removeImportedTrack()
{
    const RVVideoDataPtr node = m_nodeForCommand();
    if (!node)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    m_videoList.removeImportedTracksInBackground(
        {node}, false, [this, alive](std::optional<int> removed, const QString& error) {
            if (!*alive)
                return;
            if (!removed) {
                //% "The imported track could not be removed"
                m_dialogs->alert(qtTrId("REMOVE_IMPORTED_TRACK_FAILED_TITLE"), error);
                return;
            }
            if (*removed > 0) {
                //% "The imported track is removed; the camera's own data shows again"
                m_showStatus(qtTrId("STATUS_IMPORTED_TRACK_REMOVED"));
            } else {
                //% "No imported track shows for this recording"
                m_showStatus(qtTrId("STATUS_NO_IMPORTED_TRACK"));
            }
        });
}

std::optional<RVTrackImportChoice>
RVTrackImportCommand::askWithWidgets(const RVVideoDataPtr& node) const
{
    //% "Import Track"
    const QString title = qtTrId("IMPORT_TRACK_TITLE");
    //% "Tracks (*.gpx *.kml *.nmea *.txt *.log);;All files (*)"
    const QString path = QFileDialog::getOpenFileName(
        m_parent, title, QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
        qtTrId("IMPORT_TRACK_FILE_TYPES"));
    if (path.isEmpty())
        return std::nullopt;
    QDialog form(m_parent);
    form.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&form);
    //% "Import for every recording of the card"
    auto* wholeCard = new QCheckBox(qtTrId("IMPORT_TRACK_WHOLE_CARD"), &form);
    wholeCard->setChecked(true);
    //% "Import only for %1"
    auto* onlyNote = new QLabel(withValue(qtTrId("IMPORT_TRACK_ONLY_FOR"), node->name()), &form);
    onlyNote->setEnabled(false);
    //% "Use the imported track also where the camera recorded its own"
    auto* prefer = new QCheckBox(qtTrId("IMPORT_TRACK_PREFER_IMPORTED"), &form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &form);
    layout->addWidget(new QLabel(QFileInfo(path).fileName(), &form));
    layout->addWidget(wholeCard);
    layout->addWidget(onlyNote);
    layout->addWidget(prefer);
    layout->addWidget(buttons);
    connect(wholeCard, &QCheckBox::toggled, onlyNote,
            [onlyNote](bool checked) { onlyNote->setEnabled(!checked); });
    connect(buttons, &QDialogButtonBox::accepted, &form, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &form, &QDialog::reject);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return RVTrackImportChoice{path, wholeCard->isChecked(), prefer->isChecked()};
}
