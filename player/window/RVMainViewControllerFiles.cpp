// The file list's commands: selecting and playing rows, adding and removing recordings, the
// context menu's lock, unlock, delete and reveal (its exports are RVExportMenu's).

#include "player/window/RVMainViewController.h"

#include "core/RVSettings.h"
#include "export/RVExportFileUtil.h"
#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "player/files/RVAddedPathsUtil.h"
#include "player/files/RVFileViewer.h"
#include "player/files/RVVideoOutlineView.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVMpvVideoWidget.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVDeleteQuestion.h"
#include "player/window/RVExportCommands.h"
#include "player/window/RVExportMenu.h"
#include "player/window/RVMapHandOver.h"
#include "player/window/RVSaveFolder.h"
#include "player/window/RVWindowDialogs.h"
#include "timeline/RVTimeSlider2.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QStandardPaths>
#include <QtDebug>

namespace {
// A localised format with one "%@" (or "%1") for a name.
QString withName(QString format, const QString& name)
{
    if (format.contains(QLatin1String("%@")))
        return format.replace(QLatin1String("%@"), name);
    if (format.contains(QLatin1String("%1")))
        return format.arg(name);
    // A text without a place for the name (no translation): the name still shows.
    return format + QLatin1Char(' ') + name;
}
} // namespace

RVVideoDataPtr RVMainViewController::selectedVideoData() const
{
    if (!m_filesView || !m_filesView->selectionModel())
        return nullptr;
    const QModelIndexList rows = m_filesView->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_filesModel->nodeAt(rows.constFirst());
}

int RVMainViewController::selectedRow() const
{
    // The top-level row of the selection (a recording inside a trip counts as its trip's row).
    const QModelIndexList rows = m_filesView->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    QModelIndex index = rows.constFirst();
    while (index.parent().isValid())
        index = index.parent();
    return index.row();
}

void RVMainViewController::selectRow(int row)
{
    QItemSelectionModel* selection = m_filesView->selectionModel();
    if (row < 0 || row >= m_filesModel->rowCount()) {
        selection->clearSelection();
        return;
    }
    const QModelIndex index = m_filesModel->index(row, 0);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RVMainViewController::reloadFilesView()
{
    // Nodes are new objects after every regrouping, so the selected row and the open trips
    // are found again by their first file's path; without a match the selection stays on the
    // same top-level row.
    auto keyOf = [](const RVVideoDataPtr& node) {
        return node && !node->files().empty() ? node->files().front()->filePath() : QString();
    };
    const QModelIndexList selectedRows = m_filesView->selectionModel()->selectedRows();
    const bool childSelected =
        !selectedRows.isEmpty() && selectedRows.constFirst().parent().isValid();
    const QString selectedKey = keyOf(selectedVideoData());
    const int selectedTopRow = selectedRow();
    QStringList expanded;
    for (int row = 0; row < m_filesModel->rowCount(); ++row) {
        const QModelIndex index = m_filesModel->index(row, 0);
        if (m_filesView->isExpanded(index))
            expanded << keyOf(m_filesModel->nodeAt(index));
    }

    m_filesModel->reload(*m_videoList->videosData());

    QModelIndex reselect;
    QModelIndex reselectChild;
    for (int row = 0; row < m_filesModel->rowCount(); ++row) {
        const QModelIndex index = m_filesModel->index(row, 0);
        const QString key = keyOf(m_filesModel->nodeAt(index));
        if (expanded.contains(key))
            m_filesView->setExpanded(index, true);
        if (!selectedKey.isEmpty() && key == selectedKey && !reselect.isValid())
            reselect = index;
        if (!childSelected || reselectChild.isValid())
            continue;
        for (int child = 0; child < m_filesModel->rowCount(index); ++child) {
            const QModelIndex childIndex = m_filesModel->index(child, 0, index);
            if (keyOf(m_filesModel->nodeAt(childIndex)) == selectedKey) {
                reselectChild = childIndex;
                m_filesView->setExpanded(index, true);
            }
        }
    }
    if (reselectChild.isValid())
        reselect = reselectChild;
    if (reselect.isValid())
        m_filesView->selectionModel()->setCurrentIndex(
            reselect, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else if (selectedTopRow >= 0)
        selectRow(std::min(selectedTopRow, m_filesModel->rowCount() - 1));
    updateListPlaceholder();
}

void RVMainViewController::setModeFilter(RVModeFilter filter)
{
    RVSettings::setText(RVSettings::kFileListModeFilter, RVRecordingModeLook::filterKey(filter));
    m_modeFilterBox->setCurrentIndex(m_modeFilterBox->findData(int(filter)));
    // The nodes stay the same objects: what was selected or open and is still shown stays so.
    const RVVideoDataPtr selected = selectedVideoData();
    std::vector<RVVideoDataPtr> expanded;
    for (int row = 0; row < m_filesModel->rowCount(); ++row) {
        const QModelIndex index = m_filesModel->index(row, 0);
        if (m_filesView->isExpanded(index))
            expanded.push_back(m_filesModel->nodeAt(index));
    }
    m_filesModel->setModeFilter(filter);
    for (const RVVideoDataPtr& node : expanded) {
        const QModelIndex index = m_filesModel->indexOf(node.get());
        if (index.isValid())
            m_filesView->setExpanded(index, true);
    }
    const QModelIndex reselect = m_filesModel->indexOf(selected.get());
    if (reselect.isValid()) {
        m_filesView->selectionModel()->setCurrentIndex(
            reselect, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_filesView->scrollTo(reselect);
    }
}

void RVMainViewController::rowClicked()
{
    const RVVideoDataPtr node = selectedVideoData();
    if (!node)
        return;
    whenUnchanged(node, [this, node] {
        m_playback->start(node);
        m_player->pause();
        m_videoList->readGpsInfoInBackground(node);
    });
}

void RVMainViewController::rowDoubleClicked()
{
    if (const RVVideoDataPtr node = selectedVideoData())
        whenUnchanged(node, [this, node] { m_playback->start(node); });
}

void RVMainViewController::whenUnchanged(const RVVideoDataPtr& node, std::function<void()> play)
{
    // Checked on the list's workers (a stat per view on the card). Only the newest request
    // plays: checks of rows clicked in quick succession may finish in any order.
    const std::uint64_t request = ++m_playRequest;
    m_videoList->checkVideoDataInBackground(node,
                                            [self = QPointer<RVMainViewController>(this), request,
                                             play = std::move(play)](const RVListedCheck& check) {
                                                if (!self || request != self->m_playRequest)
                                                    return;
                                                if (check.changed()) {
                                                    self->cardChanged();
                                                    return;
                                                }
                                                play();
                                            });
}

void RVMainViewController::cardChanged()
{
    // The list reads the card again and announces the new rows itself.
    //% "The card changed since it was read; it is read again."
    showStatusMessage(qtTrId("STATUS_CARD_CHANGED"));
}

void RVMainViewController::addFileClicked()
{
    addFiles(m_dialogs->chooseFilesAndFolders());
}

void RVMainViewController::addFiles(const QStringList& paths)
{
    // The list collects the recordings in the background and announces the new tree: all
    // paths in one scan and one rebuild (a scan per path rebuilt everything each time, which
    // grew with the square of the paths given).
    const RVAddedPaths added = RVAddedPathsUtil::resolve(paths);
    if (!added.usable.isEmpty())
        m_videoList->addVideoFilesFrom(added.usable);
    if (!added.problems.isEmpty()) {
        //% "Not added: %1"
        showStatusMessage(
            withName(qtTrId("STATUS_PATHS_NOT_ADDED"), added.problems.join(QLatin1String("; "))));
    }
    reloadFilesView();
}

void RVMainViewController::noRecordingsFoundIn(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names << QDir::toNativeSeparators(path);
    //% "No recordings found in %1"
    const QString note =
        withName(qtTrId("STATUS_NO_RECORDINGS_FOUND"), names.join(QLatin1String(", ")));
    showStatusMessage(note);
    m_noRecordingsNote = note;
    updateListPlaceholder();
}

void RVMainViewController::updateListPlaceholder()
{
    if (m_filesModel->rowCount() > 0)
        m_noRecordingsNote.clear();
    if (!m_noRecordingsNote.isEmpty()) {
        m_filesView->setPlaceholderText(m_noRecordingsNote);
        return;
    }
    //% "No recordings yet.\n\nInsert a camera's memory card, or choose Add to open recordings or a
    // folder of them. You can also drop them here."
    m_filesView->setPlaceholderText(qtTrId("FILE_LIST_EMPTY_HINT"));
}

void RVMainViewController::removeFileClicked()
{
    const RVVideoDataPtr node = selectedVideoData();
    if (!node)
        return;
    const int row = selectedRow();
    const bool wasPlaying = m_playback->holdsAnyOf(node);
    m_videoList->removeVideoData(node);
    if (wasPlaying)
        stopPlayback();
    reloadFilesView();
    selectAfterRemoval(row);
}

void RVMainViewController::stopPlayback()
{
    // What plays is gone from the list: nothing of it stays in the player, on the slider
    // or on the map, and nothing else starts until the user asks.
    m_playback->stop();
    m_timeLine->setVideoDuration(std::nullopt);
    m_timeLine->setProgress(-1.0);
    m_timeLine->setPlayProgress(-1.0);
    m_timeLine->setGSensorData(nullptr);
    m_timeLine->setVelocityData(nullptr);
    m_timeLine->setPoints(nullptr);
    m_timeLine->update();
    m_map->clear();
    m_clockLabel->clear();
    m_videoWidget->clearPicture();
}

void RVMainViewController::selectAfterRemoval(int row)
{
    const int count = m_filesModel->rowCount();
    if (row >= 0 && row < count)
        selectRow(row);
    else if (count > 0)
        selectRow(std::max(0, std::min(row, count) - 1));
    else
        selectRow(-1);
}

void RVMainViewController::setMutability(const RVVideoDataPtr& node, bool locked)
{
    if (!node)
        return;
    // On the list's workers: the card is checked and companions may be read first. The
    // records take the state read back from each file, so the list never shows a lock that
    // did not happen.
    m_videoList->changeMutabilityOfVideoDataInBackground(
        node, locked,
        [self = QPointer<RVMainViewController>(this), node](const RVLockResult& result) {
            if (!self)
                return;
            self->m_filesView->viewport()->update();
            //% "Error"
            const QString title = qtTrId("ERROR_TITLE");
            if (result.changed.changed()) {
                self->cardChanged();
                //% "The card changed since it was read; it is read again. \"%1\" was left as it
                // is."
                self->m_dialogs->alert(title, withName(qtTrId("ERROR_CARD_CHANGED"), node->name()));
            } else if (!result.allChanged) {
                //% "Some recordings of \"%1\" could not be locked or unlocked."
                self->m_dialogs->alert(title,
                                       withName(qtTrId("ERROR_CANT_CHANGE_LOCK"), node->name()));
            }
        });
}

void RVMainViewController::lockClicked(RVVideoDataPtr node)
{
    setMutability(node, true);
}

void RVMainViewController::unlockClicked(RVVideoDataPtr node)
{
    setMutability(node, false);
}

void RVMainViewController::removeClicked(RVVideoDataPtr node)
{
    // A menu opened below the last row has no node: nothing to delete.
    if (!node)
        return;
    //% "Delete the recordings?"
    const QString title = qtTrId("ARE_YOU_SURE_TITLE");
    if (!m_dialogs->question(title, RVDeleteQuestion::text(*node)))
        return;
    const int row = selectedRow();
    // The player lets go of the files before they are deleted.
    if (m_playback->holdsAnyOf(node))
        stopPlayback();
    // On the list's workers: finding the side files other recordings share may read their
    // metadata from the card, which the window never waits for.
    m_videoList->removeVideoDataAndFilesInBackground(
        node,
        [self = QPointer<RVMainViewController>(this), row, node](const RVDeleteResult& result) {
            if (!self)
                return;
            if (result.changed.changed()) {
                self->cardChanged();
                //% "Error"
                const QString title = qtTrId("ERROR_TITLE");
                self->m_dialogs->alert(title, withName(qtTrId("ERROR_CARD_CHANGED"), node->name()));
                return;
            }
            self->deleteFinished(row, result);
        });
}

void RVMainViewController::deleteFinished(int row, const RVDeleteResult& result)
{
    reloadFilesView();
    const int count = m_filesModel->rowCount();
    if (row >= 0 && row < count) {
        selectRow(row);
    } else if (count > 0) {
        row = std::max(0, std::min(row, count) - 1);
        selectRow(row);
    } else {
        selectRow(-1);
    }
    if (row >= 0 && row < count)
        m_filesView->scrollTo(m_filesModel->index(row, 0));
    if (!result.keptLocked.isEmpty() || !result.failed.isEmpty()) {
        QStringList names;
        for (const QString& path : result.keptLocked + result.failed)
            names << QFileInfo(path).fileName();
        //% "Error"
        const QString errorTitle = qtTrId("ERROR_TITLE");
        //% "These recordings are locked or could not be deleted and stay on the disk: %1"
        m_dialogs->alert(errorTitle, withName(qtTrId("ERROR_CANT_DELETE_FILES"),
                                              names.join(QLatin1String(", "))));
    }
}

RVVideoDataPtr RVMainViewController::nodeForCommand() const
{
    // The context menu's commands act on the row the menu was opened on; without one, on the
    // selected row.
    if (const RVVideoDataPtr& node = m_filesView->videoDataForContextMenu())
        return node;
    return selectedVideoData();
}

void RVMainViewController::revealInFinder()
{
    const RVVideoDataPtr node = nodeForCommand();
    if (!node)
        return;
    QStringList paths;
    for (const RVVideoFilePtr& file : node->files())
        paths << file->filePath();
    RVFileViewer::revealFiles(
        paths, [self = QPointer<RVMainViewController>(this)](const QString& folder) {
            if (!self)
                return;
            //% "Error"
            const QString title = qtTrId("ERROR_TITLE");
            //% "No file manager is set up to show the folder %1."
            self->m_dialogs->alert(title, withName(qtTrId("ERROR_CANT_SHOW_FOLDER"), folder));
        });
}

void RVMainViewController::reportUnreadCamera()
{
    m_exports->reportUnreadCamera();
}
