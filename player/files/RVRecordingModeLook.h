#pragma once

#include "metadata/RVRecordingName.h"

#include <QIcon>
#include <QString>

// Which recordings the file list shows, by why the camera recorded them. Other: recordings
// whose names tell no mode (cameras that do not write one).
enum class RVModeFilter
{
    All,
    Normal,
    Event,
    Parking,
    Manual,
    Other
};

// How the file list presents a recording's mode: its name, a small picture beside the name
// and the filter by mode. Texts are in the current language.
namespace RVRecordingModeLook {

// "Normal", "Event", "Parking", "Manual"; "Other" for a mode no name tells.
QString modeName(RVRecordingMode mode);
// "Front", "Rear", "Interior", "Optional".
QString channelTitle(RVChannel channel);
// The letter of an extra view in the list's mark ("+R"): rear R, interior I, optional O.
QChar channelLetter(RVChannel channel);

// The picture beside a recording's name: the style's warning sign for events, so they stand
// out in light and dark palettes alike, a letter in the palette's text colour for the other
// known modes (N, P, M), none when the mode is not known.
QIcon modeIcon(RVRecordingMode mode);

// "All recordings" or the mode's name.
QString filterTitle(RVModeFilter filter);
// As stored in the settings: "all", "normal", "event", "parking", "manual", "other"; a key
// not listed (an older or damaged store) shows everything.
QString filterKey(RVModeFilter filter);
RVModeFilter filterFromKey(const QString& key);
bool passes(RVRecordingMode mode, RVModeFilter filter);

} // namespace RVRecordingModeLook
