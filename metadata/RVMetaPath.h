#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Path arithmetic and side-file reading shared by the readers. Paths use "/" on every
// platform (Qt's internal separator).
namespace RVMetaPath {

// The path less its last n components ("/a/b/c/d.mov", 2 -> "/a/b"); never shorter than "/"
// for an absolute path, "" for a relative one that runs out of components.
QString withoutLastComponents(const QString& path, int n);
// The last component less its last extension ("/a/FILE.0001.MOV" -> "FILE.0001").
QString baseName(const QString& path);
// The whole path less the last component's extension ("/a/FILE.MOV" -> "/a/FILE").
QString withoutExtension(const QString& path);
bool exists(const QString& path);
// Opens the file for reading by its file-system bytes (see RVNativePath); false for anything
// but a regular file, without waiting on a pipe or device.
bool open(QFile& file, const QString& path);
// A side file read whole; nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString& path);

} // namespace RVMetaPath
