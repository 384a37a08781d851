#pragma once

#include "library/RVTrackImport.h"
#include "library/RVVideoFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The imported tracks of every card, remembered in the program's data folder (one file per
// card, named after its folder like the camera clock rules are keyed) and never written to
// the card. Process-wide; every function may run on any thread. Files are read on first use,
// so a card read again later finds its imports.
namespace RVTrackImports {

// Where the files live (the window: the application's data folder; tests: a temporary one).
// Forgets what was read from the previous folder.
void setStorageFolder(const QString& folder);
QString storageFolder();

// The card a recording belongs to for its imports: its family's card folder (as for the clock
// rules), or its own folder for files no family claims.
QString cardFolderOf(const RVVideoFile& file);

// Adds an import for the card folder (a later import comes before an earlier one) and writes
// the card's file. False, with *error set and nothing changed, when it cannot be written.
bool add(const QString& cardFolder, RVTrackImport import, QString* error = nullptr);
// Removes, for each of the paths below the card folder, the import it shows (the newest that
// covers it; every import of the card for an empty list) and writes or deletes the card's file. The
// number removed, or nothing (with *error) when the file could not be changed.
std::optional<int> remove(const QString& cardFolder, const QStringList& relativePaths,
                          QString* error = nullptr);

// The import that applies to the recording at path (the newest of its card's imports that
// covers it), with the path below the card folder; null when none does.
struct Applicable final
{
    RVTrackImportPtr import;
    QString cardFolder;
};
Applicable importFor(const QString& recordingPath);
// Every import of a card, newest first.
std::vector<RVTrackImportPtr> importsOf(const QString& cardFolder);

// A card's imports as the stored text, and back. Lines that do not read are skipped; nothing
// when the text is not such a file at all.
QByteArray toText(const QString& cardFolder, const std::vector<RVTrackImportPtr>& imports);
struct CardImports final
{
    QString cardFolder;
    std::vector<RVTrackImportPtr> imports;
};
std::optional<CardImports> fromText(const QByteArray& text);

} // namespace RVTrackImports
