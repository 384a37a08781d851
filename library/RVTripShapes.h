#pragma once

#include "library/RVVideoData.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the driver decided at the boundary before a recording: it starts a trip of its own
// (Split) or belongs to the trip of the recording before it (Join), whatever the gap says.
enum class RVTripBreak
{
    Split,
    Join
};

// One decision as a step that can be made and taken back: the recording it concerns (its card
// and its path relative to the card) and the decision before and after the step.
struct RVTripShapeChange final
{
    QString card;     // the card's folder, without a trailing "/"
    QString relative; // the recording's path below the card
    std::optional<RVTripBreak> before;
    std::optional<RVTripBreak> after;
};

// The trips the driver shaped by hand: splits and joins kept per card, named by the
// recordings' paths relative to the card, so that they hold after the card is read again and
// after a restart, and a second card with the same file names keeps its own trips. The
// grouping asks them whenever it builds the tree. Process-wide like the camera clock rules
// (the window loads them from the settings); every function may run on any thread.
namespace RVTripShapes {

// The decision for the boundary before the recording; nothing when the 60-second rule decides.
std::optional<RVTripBreak> breakBefore(const RVVideoFile& recording);

// The step that makes the recording (a trip's child other than its first) start a new trip;
// nothing for any other node.
std::optional<RVTripShapeChange> splitAt(const RVVideoDataPtr& recording);
// The step that joins the top-level node with the one after it in time in the tree (given
// in any order): nothing when there is none, or when the two follow different cameras (a rear
// view's trip joined to the front views' would play the same minutes twice).
std::optional<RVTripShapeChange> joinWithNext(const RVVideoDataList& tree,
                                              const RVVideoDataPtr& node);

// Makes the change's `after` (apply) or `before` (revert) the decision; the caller then has
// the list regroup (RVVideoList::tripShapesChanged) and keeps the decisions (store).
void apply(const RVTripShapeChange& change);
void revert(const RVTripShapeChange& change);
void clear();

// The decisions as one settings value and back: one a line, "card\trelative\tsplit|join".
// Lines that do not read are skipped.
QStringList toText();
void setFromText(const QStringList& lines);
// The decisions kept in the settings (RVSettings::kTripShapes), loaded and stored.
void load();
void store();

} // namespace RVTripShapes
