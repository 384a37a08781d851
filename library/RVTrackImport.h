#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVTrackFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Whose track a recording shows where both the camera and an imported track have one.
enum class RVImportPreference
{
    CameraFirst, // the camera's own fixes; the import fills only recordings without any
    ImportFirst  // the imported track wherever it covers the recording
};

// A track imported for the recordings of one card: the fixes of another device, kept with the
// card's remembered data (not on the card) so that it is shown again when the card returns.
struct RVTrackImport final
{
    QString source; // the imported file's name, shown to the user
    RVImportPreference preference = RVImportPreference::CameraFirst;
    // The recordings it was imported for, as paths below the card folder; empty: every
    // recording of the card.
    QStringList recordings;
    std::vector<RVTrackFix> fixes; // in time order

    bool covers(const QString& relativePath) const
    {
        return recordings.isEmpty() || recordings.contains(relativePath);
    }
};
using RVTrackImportPtr = std::shared_ptr<const RVTrackImport>;

// A recording's share of an imported track, as the camera readers give theirs.
struct RVMatchedTrack final
{
    std::vector<RVPoint> points;
    std::vector<double> speeds; // km/h, one per point
};

// The fixes taken while a recording ran: from its start (the instant the library dates it by,
// after the card's clock correction) for its length, start included, end excluded. A fix
// without a speed gets the speed of the way from the fix before it (or to the one after).
RVMatchedTrack matchTrackToRecording(const std::vector<RVTrackFix>& fixes, RVTimestamp start,
                                     double durationSeconds);
