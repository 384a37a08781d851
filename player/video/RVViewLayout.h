#pragma once

#include "library/RVVideoFile.h"

#include <QString>

#include <optional>
#include <vector>

// How the video area shows the views of a recording.
enum class RVViewArrangement
{
    Single,           // one view fills the area
    PictureInPicture, // a second view small in the top right corner of the main one
    SideBySide        // the main view on the left, the second on the right, same height
};

// The user's choice, kept for the whole trip: the main view's camera and the arrangement.
// The second view is the first of the recording's other views, in the order front, rear,
// interior, optional.
struct RVViewChoice
{
    RVChannel main = RVChannel::Front;
    RVViewArrangement arrangement = RVViewArrangement::Single;
    bool operator==(const RVViewChoice&) const = default;
};

// What the player opens for one recording so that its shown views come out of one decoder
// pipeline on one clock: the recording's front (or first) file is always the file played,
// so its length, position and joins define the trip's time line; a shown view of another
// camera is added as an external track, and `graph` (mpv's lavfi-complex) puts the video
// tracks together. Both empty: the played file's own picture as is.
struct RVViewSources
{
    QString externalFile;
    QString graph;
    bool operator==(const RVViewSources&) const = default;
};

class RVViewLayout final
{
public:
    RVViewLayout() = delete;

    // The main view's file: the chosen camera's, or the played file when the recording has
    // no such camera.
    static QString mainViewPath(const std::vector<RVVideoView>& views, const QString& playedFile,
                                const RVViewChoice& choice);
    // The second view's camera, when the recording has a view for it.
    static std::optional<RVChannel> secondChannel(const std::vector<RVVideoView>& views,
                                                  const QString& playedFile,
                                                  const RVViewChoice& choice);
    static RVViewSources sourcesFor(const std::vector<RVVideoView>& views,
                                    const QString& playedFile, const RVViewChoice& choice);
};
