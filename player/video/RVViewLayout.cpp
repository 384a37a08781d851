#include "player/video/RVViewLayout.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<QString> pathOf(const std::vector<RVVideoView>& views, RVChannel channel)
{
    const auto found = std::find_if(views.begin(), views.end(), [channel](const RVVideoView& v) {
        return v.channel == channel;
    });
    if (found == views.end() || found->filePath.isEmpty())
        return std::nullopt;
    return found->filePath;
}

// Filter graphs, in mpv's lavfi-complex form: [vid1] is the played file's video track,
// [vid2] the external one's, [vo] what is shown.
//
// scale2ref scales its first input with the second as reference; in its expressions iw and
// ih are the reference's size and main_w and main_h the scaled input's own. Sizes are kept
// even for 4:2:0 pictures. A view that ends before the other keeps its last frame (the
// stacking and overlay filters repeat it), so a few frames' difference in length never stops
// the picture.
QString sideBySide(const QString& main, const QString& second)
{
    // The second view at the main view's height, in its own shape.
    return QStringLiteral("[%2][%1]scale2ref=w=trunc(oh*main_w/main_h/2)*2:h=ih[s][m];"
                          "[m][s]hstack[vo]")
        .arg(main, second);
}

QString pictureInPicture(const QString& main, const QString& second)
{
    // The second view a third of the main view's width, in its own shape, 2% of the main
    // view's width in from the top right corner.
    return QStringLiteral("[%2][%1]scale2ref=w=trunc(iw/6)*2:h=trunc(ow*main_h/main_w/2)*2[s][m];"
                          "[m][s]overlay=x=main_w-overlay_w-main_w/50:y=main_w/50[vo]")
        .arg(main, second);
}

} // namespace

QString RVViewLayout::mainViewPath(const std::vector<RVVideoView>& views, const QString& playedFile,
                                   const RVViewChoice& choice)
{
    return pathOf(views, choice.main).value_or(playedFile);
}

std::optional<RVChannel> RVViewLayout::secondChannel(const std::vector<RVVideoView>& views,
                                                     const QString& playedFile,
                                                     const RVViewChoice& choice)
{
    const QString main = mainViewPath(views, playedFile, choice);
    for (RVChannel channel :
         {RVChannel::Front, RVChannel::Rear, RVChannel::Interior, RVChannel::Optional}) {
        const std::optional<QString> path = pathOf(views, channel);
        if (path && *path != main)
            return channel;
    }
    return std::nullopt;
}

RVViewSources RVViewLayout::sourcesFor(const std::vector<RVVideoView>& views,
                                       const QString& playedFile, const RVViewChoice& choice)
{
    const QString main = mainViewPath(views, playedFile, choice);
    std::optional<QString> second;
    if (choice.arrangement != RVViewArrangement::Single) {
        if (const auto channel = secondChannel(views, playedFile, choice))
            second = pathOf(views, *channel);
    }
    if (!second) {
        if (main == playedFile)
            return {};
        return {main, QStringLiteral("[vid2]null[vo]")};
    }
    // At most one of the two shown views is not the played file: the front view is one of
    // them whenever the recording has one, and the played file is the front view then.
    const bool mainIsPlayed = main == playedFile;
    if (!mainIsPlayed && *second != playedFile)
        return {main, QStringLiteral("[vid2]null[vo]")}; // the main view alone
    const QString external = mainIsPlayed ? *second : main;
    const QString mainLabel = mainIsPlayed ? QStringLiteral("vid1") : QStringLiteral("vid2");
    const QString secondLabel = mainIsPlayed ? QStringLiteral("vid2") : QStringLiteral("vid1");
    const QString graph = choice.arrangement == RVViewArrangement::SideBySide
                              ? sideBySide(mainLabel, secondLabel)
                              : pictureInPicture(mainLabel, secondLabel);
    return {external, graph};
}
