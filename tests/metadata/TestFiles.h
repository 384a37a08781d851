#pragma once

#include "support/Support.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

// Writing the small card layouts and box files the reader tests need.
namespace TestFiles {

// Writes bytes to path, creating its folders; fails the test on error.
inline void write(const QString& path, const QByteArray& bytes)
{
    support::writeFile(path, bytes);
}
// An ISO media box: 4-byte big-endian size (as given), 4-byte type, payload.
QByteArray box(std::uint32_t size, const char* type, const QByteArray& payload = QByteArray());
// A box whose size field is its payload length (the cameras' own "udat" convention).
QByteArray payloadSizedBox(const char* type, const QByteArray& payload);
// A box whose size field counts its header (the standard convention).
QByteArray standardBox(const char* type, const QByteArray& payload);
// The whole of a real-data file, read from the shared folder.
QByteArray realData(const char* relativePath);
std::string_view view(const QByteArray& bytes);

} // namespace TestFiles
