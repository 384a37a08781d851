// Building the library tree: one node per recording, then trips by the 60-second rule and by
// the chapter files a camera cut one take into.
#include "library/RVNodeFigures.h"
#include "library/RVTripShapes.h"
#include "library/RVVideoList.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A recording joins the trip when it starts less than this long before or after the end of
// the recording just before it.
constexpr double kTripGapSeconds = 60.0;

QString lastPathComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString withoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// Seconds from a to b; NaN when either instant is unknown.
double secondsBetween(RVTimestamp a, RVTimestamp b)
{
    if (!a.isValid() || !b.isValid())
        return std::nan("");
    return double(b.msecsSinceEpoch() - a.msecsSinceEpoch()) / 1000.0;
}

// A node's length on a trip's time line: 0 when unknown (NaN, as for a recording whose video
// could not be read), so that the trip keeps the lengths it knows.
float knownSeconds(float seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
}

RVVideoDataPtr closeGroup(const RVVideoDataList& group, const RVVideoFileList& files,
                          float duration)
{
    if (group.size() == 1) {
        group.front()->setParent(nullptr);
        return group.front();
    }
    RVVideoDataPtr trip =
        RVVideoData::create(RVVideoList::getVideoDataTripNameByFiles(group), duration,
                            group.front()->created(), files, group, nullptr);
    joinTripFigures(*trip);
    return trip;
}

RVVideoFilePtr firstFile(const RVVideoDataPtr& node)
{
    return node->files().empty() ? nullptr : node->files().front();
}

// The camera a node's time line follows: its first recording's front view, or first view
// when it has no front view.
std::optional<RVChannel> leadChannel(const RVVideoDataPtr& node)
{
    const RVVideoFilePtr file = firstFile(node);
    if (!file || file->views().empty())
        return std::nullopt;
    return file->views().front().channel;
}

// Whether two consecutive recordings may be one drive: the same camera family (by their names'
// rule; names no rule claims form a family of their own), the same device where both name
// their model, and dated alike: a recording dated only by its file's date (a copy's date)
// never joins recordings dated by their names or tracks.
bool sameSource(const RVVideoDataPtr& a, const RVVideoDataPtr& b)
{
    const RVVideoFilePtr fa = firstFile(a);
    const RVVideoFilePtr fb = firstFile(b);
    if (!fa || !fb)
        return fa == fb;
    if (fa->family() != fb->family())
        return false;
    if ((fa->timeSource() == RVTimeSource::File) != (fb->timeSource() == RVTimeSource::File))
        return false;
    const QString ma = a->cameraModel();
    const QString mb = b->cameraModel();
    return ma.isEmpty() || mb.isEmpty() || ma == mb;
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// What the chapters of one chaptered recording share: their family, folder and series; empty
// for a file that is no chapter.
QString chapterKey(const RVVideoDataPtr& node)
{
    const RVVideoFilePtr file = firstFile(node);
    if (!file || file->chapterSeries().isEmpty() || !file->family())
        return {};
    return QString::number(int(*file->family())) + QLatin1Char('|') + folderOf(file->filePath()) +
           file->chapterSeries();
}

// Whether node is the chapter that follows previous in one chaptered recording: the camera
// cut one take into files, so they are one drive whatever their dates say (a fix found only
// in a later chapter, or files copied from the card, whose dates are all the copy's).
bool isNextChapter(const RVVideoDataPtr& previous, const RVVideoDataPtr& node)
{
    const QString key = chapterKey(node);
    return !key.isEmpty() && key == chapterKey(previous) &&
           firstFile(node)->chapter() == firstFile(previous)->chapter() + 1;
}

// The nodes with the chapters of each chaptered recording together and in chapter order, at
// the place of the one listed first; every other node keeps its place.
RVVideoDataList withChaptersTogether(const RVVideoDataList& nodes)
{
    QHash<QString, RVVideoDataList> chapters;
    for (const RVVideoDataPtr& node : nodes) {
        if (!node)
            continue;
        if (const QString key = chapterKey(node); !key.isEmpty())
            chapters[key].push_back(node);
    }
    if (chapters.isEmpty())
        return nodes;
    RVVideoDataList ordered;
    ordered.reserve(nodes.size());
    for (const RVVideoDataPtr& node : nodes) {
        const QString key = node ? chapterKey(node) : QString();
        if (key.isEmpty()) {
            ordered.push_back(node);
            continue;
        }
        const auto found = chapters.find(key);
        if (found == chapters.end())
            continue; // placed with the first of its recording
        RVVideoDataList series = std::move(found.value());
        chapters.erase(found);
        std::stable_sort(series.begin(), series.end(), [](const auto& a, const auto& b) {
            return firstFile(a)->chapter() < firstFile(b)->chapter();
        });
        ordered.insert(ordered.end(), series.begin(), series.end());
    }
    return ordered;
}

} // namespace

RVVideoDataList RVVideoList::wrapFilesWithVideoData(const RVVideoFileList& files)
{
    RVVideoDataList nodes;
    nodes.reserve(files.size());
    for (const RVVideoFilePtr& file : files) {
        if (!file)
            continue;
        nodes.push_back(RVVideoData::create(lastPathComponent(file->filePath()), file->duration(),
                                            file->created(), {file}, {}, nullptr));
    }
    return nodes;
}

RVVideoDataList RVVideoList::groupVideoDatas(const RVVideoDataList& nodes)
{
    RVVideoDataList result;
    RVVideoDataList group;
    RVVideoFileList groupFiles;
    float groupDuration = 0; // summed in 32-bit floats, as the trip's duration is defined
    RVVideoDataPtr previous;
    float lastKnownLength = 0; // of the group's latest recording whose length is known

    const auto startGroup = [&](const RVVideoDataPtr& node) {
        group = {node};
        groupFiles.clear();
        if (RVVideoFilePtr file = firstFile(node))
            groupFiles.push_back(file);
        groupDuration = knownSeconds(node->duration());
        lastKnownLength = groupDuration;
        previous = node;
    };

    for (const RVVideoDataPtr& node : withChaptersTogether(nodes)) {
        if (!node)
            continue;
        if (!previous) {
            startGroup(node);
            continue;
        }
        // A recording of unknown length (its video could not be read) is taken to be as long
        // as the trip's latest recording of known length, or else as the one after it: cameras
        // cut recordings to one length, and an unreadable file must not split its trip.
        float previousLength = previous->duration();
        if (!(knownSeconds(previousLength) > 0))
            previousLength = lastKnownLength > 0 ? lastKnownLength : knownSeconds(node->duration());
        const double gap =
            secondsBetween(previous->created(), node->created()) - double(previousLength);
        // A NaN gap (unknown date) fails the test and starts a new trip. A trip follows one
        // camera: a rear view whose front view is missing never joins the front views' trip,
        // which would play the same minutes twice; nor do recordings of another camera
        // family or device, or dated another way, join it (sameSource).
        // Where the driver split or joined by hand, that decides; a join still never puts
        // two cameras' recordings on one time line.
        const RVVideoFilePtr file = firstFile(node);
        const std::optional<RVTripBreak> shaped =
            file ? RVTripShapes::breakBefore(*file) : std::nullopt;
        const bool sameCamera = leadChannel(previous) == leadChannel(node);
        const bool joins =
            shaped ? *shaped == RVTripBreak::Join && sameCamera
                   : isNextChapter(previous, node) || (std::fabs(gap) < kTripGapSeconds &&
                                                       sameCamera && sameSource(previous, node));
        if (joins) {
            groupDuration += knownSeconds(node->duration());
            if (knownSeconds(node->duration()) > 0)
                lastKnownLength = node->duration();
            group.push_back(node);
            if (RVVideoFilePtr file = firstFile(node))
                groupFiles.push_back(file);
            previous = node;
        } else {
            result.push_back(closeGroup(group, groupFiles, groupDuration));
            startGroup(node);
        }
    }
    if (previous)
        result.push_back(closeGroup(group, groupFiles, groupDuration));
    return result;
}

QString RVVideoList::getVideoDataTripNameByFiles(const RVVideoDataList& nodes)
{
    if (nodes.empty() || !nodes.front() || !nodes.back())
        return {};
    const RVVideoFilePtr first = firstFile(nodes.front());
    const RVVideoFilePtr last =
        nodes.back()->files().empty() ? nullptr : nodes.back()->files().back();
    if (!first || !last)
        return {};
    if (nodes.size() == 1)
        return lastPathComponent(first->filePath());

    const QString a = withoutExtension(lastPathComponent(first->filePath()));
    const QString b = withoutExtension(lastPathComponent(last->filePath()));
    qsizetype common = 0;
    while (common < a.size() && common < b.size() &&
           a.at(common).toCaseFolded() == b.at(common).toCaseFolded())
        ++common;
    return a + QLatin1Char('-') + b.mid(common);
}

namespace {

// The values a sort compares, read once per item: another thread may change a record's date
// while we sort, and a comparison must never change its mind half-way through a sort.
struct SortValues final
{
    QString name;
    float duration = 0;
    RVTimestamp created;
};

// -1, 0 or 1 for a before, equal to or after b by one key, ascending. Unknown values (NaN
// durations, missing dates) come first.
int compareValues(const SortValues& a, const SortValues& b, RVSortKey::Field field)
{
    switch (field) {
    case RVSortKey::Field::Name:
        return a.name.compare(b.name, Qt::CaseSensitive);
    case RVSortKey::Field::Duration: {
        const bool aKnown = !std::isnan(a.duration);
        const bool bKnown = !std::isnan(b.duration);
        if (!aKnown || !bKnown)
            return int(aKnown) - int(bKnown);
        return a.duration < b.duration ? -1 : (b.duration < a.duration ? 1 : 0);
    }
    case RVSortKey::Field::Created:
        return a.created < b.created ? -1 : (b.created < a.created ? 1 : 0);
    }
    return 0;
}

template <typename Item, typename Snapshot>
void stableSortByKeys(std::vector<std::shared_ptr<Item>>& items, const std::vector<RVSortKey>& keys,
                      Snapshot snapshot)
{
    std::vector<std::pair<SortValues, std::shared_ptr<Item>>> entries;
    entries.reserve(items.size());
    for (std::shared_ptr<Item>& item : items)
        entries.emplace_back(snapshot(*item), std::move(item));
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        for (const RVSortKey& key : keys) {
            const int order = compareValues(a.first, b.first, key.field);
            if (order != 0)
                return key.ascending ? order < 0 : order > 0;
        }
        return false;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        items[i] = std::move(entries[i].second);
}

} // namespace

void RVVideoList::stableSortFiles(RVVideoFileList& files) const
{
    std::erase(files, nullptr);
    stableSortByKeys(files, m_sortDescriptors, [](const RVVideoFile& file) {
        return SortValues{file.fileName(), file.duration(), file.created()};
    });
}

void RVVideoList::stableSortNodes(RVVideoDataList& nodes, const std::vector<RVSortKey>& keys) const
{
    std::erase(nodes, nullptr);
    stableSortByKeys(nodes, keys, [](const RVVideoData& node) {
        return SortValues{node.name(), node.duration(), node.created()};
    });
}
