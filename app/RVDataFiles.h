#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Where the program's data files live: "<prefix>/share/korvela-player" for the executable
// "<prefix>/bin/korvela-player". The build tree has the same shape (build/share/korvela-player
// beside build/app), so one rule serves the build tree, an install under /usr, /usr/local or a
// home prefix, and the portable "Korvela Player" folder wherever it was unpacked.
namespace RVDataFiles {

// The data folder for executables in executableDir (cleaned; it may not exist).
QString folder(const QString& executableDir = QCoreApplication::applicationDirPath());

// The data file's path, or empty when it is not there.
QString find(const QString& relativePath,
             const QString& executableDir = QCoreApplication::applicationDirPath());

// The notices of this program and of the libraries it carries or links (notices/*.txt),
// sorted by name; empty when none are installed.
QStringList notices(const QString& executableDir = QCoreApplication::applicationDirPath());

} // namespace RVDataFiles
