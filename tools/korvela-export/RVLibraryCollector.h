#pragma once

#include "tools/korvela-export/RVExportFormats.h"

#include "library/RVVideoList.h"

#include <QCoreApplication>
#include <QTranslator>

#include <functional>
#include <memory>

// The library the player would show for the command line's PATHs: every existing PATH is
// added like the open command (a PATH that does not exist is reported on stderr), the
// metadata is read and the recordings are grouped as after the player's scan. The tree and
// file formats share it so they group exactly alike.
struct RVCollectedLibrary final
{
    // The list is a QObject with a thread pool: it needs an application object, which must
    // outlive it (members go in reverse order).
    std::unique_ptr<QCoreApplication> app;
    // The user's language for the texts the exports write (the spreadsheets' column titles).
    std::unique_ptr<QTranslator> translator;
    std::unique_ptr<RVVideoList> list;
    bool missingPath = false;
    qsizetype pathCount = 0; // PATHs that exist
};

// progress(done, total) is called from the threads that read the metadata.
RVCollectedLibrary collectLibrary(const RVExportContext& context,
                                  const std::function<void(int done, int total)>& progress);
