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

// Grid order for up to four views, and the car's 3 x 2 table for five or six.
constexpr RVChannel kSmallGridOrder[] = {
    RVChannel::Front, RVChannel::Rear,  RVChannel::Interior,   RVChannel::Optional,
    RVChannel::Left,  RVChannel::Right, RVChannel::LeftPillar, RVChannel::RightPillar};
constexpr RVChannel kCarGrid[] = {RVChannel::LeftPillar, RVChannel::Front, RVChannel::RightPillar,
                                  RVChannel::Left,       RVChannel::Rear,  RVChannel::Right};

std::vector<RVVideoView> shownViews(const std::vector<RVVideoView>& views)
{
    std::vector<RVVideoView> shown;
    for (RVChannel channel : kSmallGridOrder) {
        if (const std::optional<QString> path = pathOf(views, channel))
            shown.push_back({channel, *path});
    }
    return shown;
}

// Every cell the size of the played file's picture (scale2ref passes a picture of that size
// on untouched), stacked at multiples of the first cell's size; cells without a view stay
// black. Views that end early keep their last frame, as in the other graphs.
QString grid(const std::vector<std::optional<QString>>& cellLabels, const QString& played)
{
    const int columns = cellLabels.size() > 4 ? 3 : 2;
    QString graph;
    QString reference = played;
    QStringList stacked, layout;
    int scaled = 0;
    QString playedCell;
    for (std::size_t cell = 0; cell < cellLabels.size(); ++cell) {
        if (!cellLabels[cell])
            continue;
        const int column = int(cell) % columns, row = int(cell) / columns;
        const QString x = column == 0   ? QStringLiteral("0")
                          : column == 1 ? QStringLiteral("w0")
                                        : QStringLiteral("w0+w0");
        layout << x + QLatin1Char('_') + (row == 0 ? QStringLiteral("0") : QStringLiteral("h0"));
        if (*cellLabels[cell] == played) {
            stacked << QString(); // the reference's last name, known at the end
            continue;
        }
        ++scaled;
        const QString out = QStringLiteral("c%1").arg(scaled);
        const QString nextReference = QStringLiteral("r%1").arg(scaled);
        graph += QStringLiteral("[%1][%2]scale2ref=w=iw:h=ih[%3][%4];")
                     .arg(*cellLabels[cell], reference, out, nextReference);
        reference = nextReference;
        stacked << out;
    }
    QString inputs;
    for (const QString& label : stacked)
        inputs += QLatin1Char('[') + (label.isEmpty() ? reference : label) + QLatin1Char(']');
    return graph + inputs +
           QStringLiteral("xstack=inputs=%1:layout=%2:fill=black[vo]")
               .arg(stacked.size())
               .arg(layout.join(QLatin1Char('|')));
}

} // namespace

bool RVViewLayout::gridOffered(const std::vector<RVVideoView>& views)
{
    return shownViews(views).size() > 2;
}

std::vector<std::optional<RVVideoView>>
RVViewLayout::gridCells(const std::vector<RVVideoView>& views)
{
    std::vector<RVVideoView> shown = shownViews(views);
    if (shown.size() <= 4) {
        std::vector<std::optional<RVVideoView>> cells(shown.begin(), shown.end());
        cells.resize(4);
        return cells;
    }
    std::vector<std::optional<RVVideoView>> cells(kGridViews);
    std::vector<RVVideoView> others;
    for (const RVVideoView& view : shown) {
        const auto slot = std::find(std::begin(kCarGrid), std::end(kCarGrid), view.channel);
        if (slot != std::end(kCarGrid))
            cells[std::size_t(slot - std::begin(kCarGrid))] = view;
        else
            others.push_back(view);
    }
    // Views the car's table has no place for (a dash camera's interior view) fill the gaps.
    auto free = cells.begin();
    for (const RVVideoView& view : others) {
        free = std::find(free, cells.end(), std::nullopt);
        if (free == cells.end())
            break;
        *free = view;
    }
    return cells;
}

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
    for (RVChannel channel : kSmallGridOrder) {
        const std::optional<QString> path = pathOf(views, channel);
        if (path && *path != main)
            return channel;
    }
    return std::nullopt;
}

RVViewSources RVViewLayout::sourcesFor(const std::vector<RVVideoView>& views,
                                       const QString& playedFile, const RVViewChoice& choice)
{
    if (choice.arrangement == RVViewArrangement::Grid && gridOffered(views)) {
        // The played file is [vid1]; the others are added in the grid's order.
        RVViewSources sources;
        std::vector<std::optional<QString>> labels;
        bool playedShown = false;
        for (const std::optional<RVVideoView>& cell : gridCells(views)) {
            if (!cell) {
                labels.emplace_back();
            } else if (cell->filePath == playedFile) {
                labels.emplace_back(QStringLiteral("vid1"));
                playedShown = true;
            } else {
                sources.externalFiles << cell->filePath;
                labels.emplace_back(QStringLiteral("vid%1").arg(sources.externalFiles.size() + 1));
            }
        }
        if (playedShown) {
            sources.graph = grid(labels, QStringLiteral("vid1"));
            return sources;
        }
    }
    const QString main = mainViewPath(views, playedFile, choice);
    std::optional<QString> second;
    if (choice.arrangement != RVViewArrangement::Single) {
        if (const auto channel = secondChannel(views, playedFile, choice))
            second = pathOf(views, *channel);
    }
    if (!second) {
        if (main == playedFile)
            return {};
        return {{main}, QStringLiteral("[vid2]null[vo]")};
    }
    // Side by side or picture in picture. At most one of the two shown views is not the played
    // file: the front view is one of them whenever the recording has one, and the played file is
    // the front view then.
    const bool mainIsPlayed = main == playedFile;
    if (!mainIsPlayed && *second != playedFile)
        return {{main}, QStringLiteral("[vid2]null[vo]")}; // the main view alone
    const QString external = mainIsPlayed ? *second : main;
    const QString mainLabel = mainIsPlayed ? QStringLiteral("vid1") : QStringLiteral("vid2");
    const QString secondLabel = mainIsPlayed ? QStringLiteral("vid2") : QStringLiteral("vid1");
    // A grid of two views (the recording has no more) is the two side by side.
    const QString graph = choice.arrangement != RVViewArrangement::PictureInPicture
                              ? sideBySide(mainLabel, secondLabel)
                              : pictureInPicture(mainLabel, secondLabel);
    return {{external}, graph};
}
