#pragma once

#include <QByteArray>
#include <QString>

// File names as the file system stores them: bytes, usually UTF-8 but not always (a card
// written by a camera with another code page). QFile::decodeName turns bytes that are not
// UTF-8 into U+FFFD, and such a name can then neither be opened nor deleted.
//
// decode() keeps every byte: valid UTF-8 is decoded as usual, and each byte of an invalid
// sequence becomes the lone surrogate U+DC00 + byte (0x80..0xFF give U+DC80..U+DCFF), which
// valid UTF-8 can never produce. encode() maps them back, so encode(decode(b)) == b for all b.
namespace RVNativePath {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& path);

} // namespace RVNativePath
