#pragma once

#include "library/RVEventDetector.h"
#include "library/RVVideoData.h"

// The events and trip figures of a node whose series have just been read, from those series
// (a single recording) or from its children's figures (a trip, whose children are read
// first). Published on the node; the series are published after, so whoever sees a node's
// series finds its figures too.
void computeNodeFigures(RVVideoData& node, const RVSeries& series,
                        const RVEventThresholds& thresholds);

// A trip's figures joined from its children's, when every child has them (the metadata scan
// reads the recordings before it groups them); nothing otherwise, until the trip is read.
void joinTripFigures(RVVideoData& trip);
