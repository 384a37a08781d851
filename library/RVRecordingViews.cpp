#include "library/RVRecordingViews.h"

#include "metadata/RVCameraClock.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

struct Candidate
{
    std::size_t index; // into found
    RVRecordingName name;
};

struct Group
{
    std::vector<std::size_t> members; // into found
    std::vector<RVChannel> channels;
    std::int64_t startMs = 0; // the first member's start
};

QString parentOf(const QString& path, int levels)
{
    QString p = path;
    for (int i = 0; i < levels; ++i)
        p = p.left(std::max<qsizetype>(0, p.lastIndexOf(QLatin1Char('/'))));
    return p;
}

// Files that may be views of one recording share this key; pairing then compares times.
QString pairingKey(const Candidate& c, const QString& path)
{
    // Sibling folders: some cameras keep each channel in a folder of its own
    // (".../Front", ".../Rear").
    return QString::number(int(c.name.family)) + QLatin1Char('|') + c.name.modeCode +
           QLatin1Char('|') + QString::number(int(c.name.mode)) + QLatin1Char('|') +
           parentOf(path, 2);
}

} // namespace

RVVideoFileList combineViews(const std::vector<RVFoundVideo>& found)
{
    // owner[i]: the group file i belongs to.
    std::vector<std::size_t> owner(found.size(), std::numeric_limits<std::size_t>::max());
    std::vector<Group> groups;

    // A camera's lower-quality copy of a file found beside it is left out: it shows the same
    // moment worse, and listed it would play that moment twice. Alone, it is the recording.
    QSet<QString> paths;
    for (const RVFoundVideo& file : found)
        paths.insert(file.path);
    std::vector<bool> copies(found.size(), false);

    QHash<QString, std::vector<Candidate>> buckets;
    for (std::size_t i = 0; i < found.size(); ++i) {
        std::optional<RVRecordingName> name = parseRecordingName(found[i].path);
        if (!name || !name->start.isValid())
            continue;
        if (!name->originalName.isEmpty()) {
            copies[i] =
                paths.contains(parentOf(found[i].path, 1) + QLatin1Char('/') + name->originalName);
            if (copies[i])
                continue;
        }
        Candidate candidate{i, std::move(*name)};
        buckets[pairingKey(candidate, found[i].path)].push_back(std::move(candidate));
    }
    for (auto bucket = buckets.begin(); bucket != buckets.end(); ++bucket) {
        std::vector<Candidate>& files = bucket.value();
        std::stable_sort(files.begin(), files.end(), [](const Candidate& a, const Candidate& b) {
            return a.name.start < b.name.start;
        });
        // Groups of this bucket still open to later files (within the tolerance).
        std::vector<std::size_t> open;
        for (const Candidate& file : files) {
            const std::int64_t start = file.name.start.toMSecsSinceEpoch();
            const std::int64_t toleranceMs = std::int64_t(file.name.pairingToleranceSeconds) * 1000;
            std::erase_if(open,
                          [&](std::size_t g) { return start - groups[g].startMs > toleranceMs; });
            // The closest open recording that still lacks this channel.
            std::optional<std::size_t> best;
            for (std::size_t g : open) {
                const Group& group = groups[g];
                if (std::find(group.channels.begin(), group.channels.end(), file.name.channel) !=
                    group.channels.end())
                    continue;
                if (!best || start - group.startMs < start - groups[*best].startMs)
                    best = g;
            }
            if (!best) {
                best = groups.size();
                groups.push_back(Group{{}, {}, start});
                open.push_back(*best);
            }
            groups[*best].members.push_back(file.index);
            groups[*best].channels.push_back(file.name.channel);
            owner[file.index] = *best;
        }
    }

    RVVideoFileList records;
    records.reserve(found.size());
    std::vector<bool> emitted(groups.size(), false);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const RVFoundVideo& file = found[i];
        if (copies[i])
            continue;
        if (owner[i] == std::numeric_limits<std::size_t>::max()) {
            records.push_back(std::make_shared<RVVideoFile>(
                std::vector<RVVideoView>{{RVChannel::Front, file.path}},
                std::numeric_limits<float>::quiet_NaN(), file.created, file.locked,
                std::vector<RVFileId>{file.id}, std::vector<std::uint64_t>{file.size},
                std::vector<std::uint64_t>{file.mountId}));
            continue;
        }
        const std::size_t g = owner[i];
        if (emitted[g])
            continue;
        emitted[g] = true;
        std::vector<std::size_t> order(groups[g].members.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return groups[g].channels[a] < groups[g].channels[b];
        });
        std::vector<RVVideoView> views;
        std::vector<RVFileId> ids;
        std::vector<std::uint64_t> sizes;
        std::vector<std::uint64_t> mountIds;
        bool locked = false;
        for (std::size_t k : order) {
            const RVFoundVideo& member = found[groups[g].members[k]];
            views.push_back({groups[g].channels[k], member.path});
            ids.push_back(member.id);
            sizes.push_back(member.size);
            mountIds.push_back(member.mountId);
            locked = locked || member.locked;
        }
        const RVFoundVideo& first = found[groups[g].members[order.front()]];
        records.push_back(std::make_shared<RVVideoFile>(
            std::move(views), std::numeric_limits<float>::quiet_NaN(), first.created, locked,
            std::move(ids), std::move(sizes), std::move(mountIds)));
        // A name's start (the camera's clock, after the card's rule) dates the recording until
        // its track does: a copied file's date says nothing about when it was recorded.
        if (const RVTimestamp start = RVCameraClock::startFromName(first.path); start.isValid()) {
            records.back()->setCreated(start);
            records.back()->setTimeSource(RVTimeSource::Name);
        }
    }
    return records;
}
