#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// What a second launch of the player sends to the running one over the local socket, all
// UTF-8:
//   "korvela-open" NUL, each path followed by NUL, then one more NUL.
// Paths are never empty, so the first empty one ends the message. At most kMaxBytes in all.
namespace RVLaunchMessage {

inline constexpr qsizetype kMaxBytes = 1 << 20; // far more than any command line

// Empty paths and paths holding a NUL are left out.
QByteArray encode(const QStringList& paths);
// The paths of a complete message; empty when the bytes are not one (yet).
std::optional<QStringList> decode(const QByteArray& bytes);

} // namespace RVLaunchMessage
