#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// A moment of a trip as korvela-export's --from and --to give it, in trip seconds:
//   "+7", "+1:05.5", "+1:02:03.25"  an offset from the trip's start (seconds, m:ss, h:mm:ss,
//                                   fractions allowed)
//   "2026-05-16T10:00:07[.5]"       the camera's date and clock time, as its file names and
//                                   read-outs show it
// tripStart is the camera's clock at trip second 0 in the camera's zone; a date and clock time
// is read in that zone. Nothing when the text is neither, or a date without tripStart.
std::optional<double> parseClipTime(const QString& text, const QDateTime& tripStart);
