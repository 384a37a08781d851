#pragma once

#include "library/RVVideoData.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QWidget;
class RVVideoList;
class RVWindowDialogs;

// What the user chose for an import: the file, and how far it reaches.
struct RVTrackImportChoice final
{
    QString path;
    bool wholeCard = true;       // every recording of the card, else the chosen ones
    bool preferImported = false; // over the camera's own fixes where both exist
};

// File > "Import Track..." and "Remove Imported Track": a track of another device (GPX, KML,
// NMEA) for the chosen recordings or their card, and its removal. The import runs on the
// library's pool; the list shows the imported track once its recordings are read again, and a
// file the readers refuse is explained in an alert with the reader's reason.
class RVTrackImportCommand final : public QObject
{
public:
    using NodeForCommand = std::function<RVVideoDataPtr()>;
    using ShowStatus = std::function<void(const QString&)>;
    // Asks for the file and the choices (a file panel and a small form); none when cancelled.
    using AskChoice = std::function<std::optional<RVTrackImportChoice>(const RVVideoDataPtr&)>;

    // Without askChoice, the file panel and form are shown over parent (which does not own
    // the command).
    RVTrackImportCommand(RVVideoList& videoList, std::shared_ptr<RVWindowDialogs> dialogs,
                         NodeForCommand nodeForCommand, ShowStatus showStatus, QWidget* parent,
                         AskChoice askChoice = {});
    ~RVTrackImportCommand() override;

    QAction* importAction() const { return m_import; }
    QAction* removeAction() const { return m_remove; }

    void importTrack();
    void removeImportedTrack();
    // Sets the actions' texts in the present language.
    void localize();

private:
    std::optional<RVTrackImportChoice> askWithWidgets(const RVVideoDataPtr& node) const;

    RVVideoList& m_videoList;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    NodeForCommand m_nodeForCommand;
    ShowStatus m_showStatus;
    QWidget* m_parent;
    AskChoice m_askChoice;
    QAction* m_import = nullptr;
    QAction* m_remove = nullptr;
    // Cleared when the command goes, so a result delivered later shows nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
