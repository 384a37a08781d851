#pragma once

#include "library/RVVideoFile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// How the video area shows the views of a recording.
enum class RVViewArrangement
{
    Single,           // one view fills the area
    PictureInPicture, // a second view small in the top right corner of the main one
    SideBySide,       // the main view on the left, the second on the right, same height
    Grid              // every view (up to six) in cells of one size: 2 x 2 or 3 x 2
};

// The user's choice, kept for the whole trip: the main view's camera and the arrangement.
// The second view is the first of the recording's other views, in the order front, rear,
// interior, optional, then a car's side cameras. A grid shows all views whatever the main one.
struct RVViewChoice
{
    RVChannel main = RVChannel::Front;
    RVViewArrangement arrangement = RVViewArrangement::Single;
    bool operator==(const RVViewChoice&) const = default;
};

// What the player opens for one recording so that its shown views come out of one decoder
// pipeline on one clock: the recording's front (or first) file is always the file played,
// so its length, position and joins define the trip's time line; a shown view of another
// camera is added as an external track (in this order: mpv's [vid2], [vid3], ...), and
// `graph` (mpv's lavfi-complex) puts the video tracks together. Both empty: the played file's
// own picture as is.
struct RVViewSources
{
    QStringList externalFiles;
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
    // How many views a grid shows at most.
    static constexpr int kGridViews = 6;
    // Whether the views are enough for a grid: more than two.
    static bool gridOffered(const std::vector<RVVideoView>& views);
    // The views a grid shows, cell by cell (row by row, 2 or 3 cells a row), at most
    // kGridViews; nullopt for an empty cell. Up to four views make a 2 x 2 grid in the
    // order front, rear, interior, optional, left, right; five or six a 3 x 2 grid laid out
    // like a car seen from inside: the pillar cameras beside the front one, the side
    // repeaters beside the rear one.
    static std::vector<std::optional<RVVideoView>> gridCells(const std::vector<RVVideoView>& views);
    static RVViewSources sourcesFor(const std::vector<RVVideoView>& views,
                                    const QString& playedFile, const RVViewChoice& choice);
};
