#pragma once

#include "metadata/RVMetaDataReader.h"

#include <QtGlobal>

class QIODevice;

// What the readers whose data lives inside the video file (a track, a box) share: they read
// an open file, and opening it the one safe way and calling that a decline when it fails is
// done here once.
namespace RVInVideoReading {

// How such a reader reads the video once open (its static readMetaData).
using OpenVideoRead = std::optional<RVMetaData> (*)(QIODevice& device, qint64 fileSize,
                                                    RVDecline* why);

// Opens the video (regular files only, RVMetaPath::openRegularFile) and reads it with `read`;
// a video that cannot be opened is "not mine".
std::optional<RVMetaData> read(const QString& videoPath, RVDecline& why, OpenVideoRead read);

} // namespace RVInVideoReading
