#pragma once

#include "clip/RVClipRequest.h"

#include <QString>

// The evidence written beside a clip ("<clip>.manifest.txt"): each source file used, with
// its size and SHA-256, the range in the camera's time and in UTC, the layout, read-outs,
// quality and sound chosen, the program's version and the clip's own SHA-256, so that
// whoever receives the clip can check it against the card.
class RVClipManifest final
{
public:
    RVClipManifest() = delete;

    // The manifest's text for a finished clip; false with *error set when a file cannot be
    // read for its hash.
    static bool compose(const RVClipRequest& request, const RVClipResult& result, QString* text,
                        QString* error);
    // compose() into "<clip>.manifest.txt" through the atomic writer.
    static bool write(const RVClipRequest& request, const RVClipResult& result, QString* error);
    static QString manifestPath(const QString& clipPath);
    // Lower-case hex SHA-256 of a file's bytes, or empty (and *error) when it cannot be read.
    static QString sha256(const QString& path, QString* error);
    // The source files the clip's range reaches, in trip order, for the views shown.
    static QStringList filesInRange(const RVClipRequest& request);
};
