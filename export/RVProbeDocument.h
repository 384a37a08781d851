#pragma once

#include "export/RVJsonWriter.h"

#include <QString>
#include <QStringList>

#include <string>

// The probe of recordings the program does not read: the box tree, the tracks, the first
// bytes of what no reader knew and why each reader declined, for a maintainer adding a camera.
// korvela-export writes it with --format probe, the window saves it from the Help menu.
namespace RVProbeDocument {

// One file's object; false (with the reason) when the file cannot be opened, and then nothing
// is written.
bool writeFile(RVJsonWriter& json, const QString& path, QString& error);
// The whole document of `paths`, one object per file that could be opened; the others'
// "path: reason" in `errors`.
std::string forFiles(const QStringList& paths, QStringList& errors);

} // namespace RVProbeDocument
