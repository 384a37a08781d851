// The trips the driver split or joined: one decision per recording that begins a boundary,
// looked up by the recording's card and its path below the card.
#include "library/RVTripShapes.h"

#include "core/RVSettings.h"
#include "metadata/RVCameraClock.h"

#include <QHash>

#include <algorithm>
#include <mutex>
#include <shared_mutex>

namespace {

std::shared_mutex& shapesMutex()
{
    static std::shared_mutex mutex;
    return mutex;
}

// card folder -> (path below the card -> decision)
using CardShapes = QHash<QString, RVTripBreak>;
QHash<QString, CardShapes>& shapes()
{
    static QHash<QString, CardShapes> table;
    return table;
}

const QLatin1String kSplitText("split");
const QLatin1String kJoinText("join");

// The card a recording lies on (its family's card folder's parent, else its own folder) and
// its path below it.
std::pair<QString, QString> cardAndRelative(const RVVideoFile& recording)
{
    const QString& path = recording.filePath();
    QString card = recording.family()
                       ? RVCameraClock::cardFolderOf(path, *recording.family())
                       : path.left(std::max<qsizetype>(0, path.lastIndexOf(QLatin1Char('/'))));
    QString relative = path.mid(card.size() + 1);
    return {std::move(card), std::move(relative)};
}

RVVideoFilePtr firstFile(const RVVideoDataPtr& node)
{
    return node && !node->files().empty() ? node->files().front() : nullptr;
}

std::optional<RVChannel> leadChannel(const RVVideoDataPtr& node)
{
    const RVVideoFilePtr file = firstFile(node);
    if (!file || file->views().empty())
        return std::nullopt;
    return file->views().front().channel;
}

RVTripShapeChange changeFor(const RVVideoFile& recording, RVTripBreak after)
{
    auto [card, relative] = cardAndRelative(recording);
    RVTripShapeChange change{std::move(card), std::move(relative), std::nullopt, after};
    change.before = RVTripShapes::breakBefore(recording);
    return change;
}

void set(const QString& card, const QString& relative, std::optional<RVTripBreak> decision)
{
    std::unique_lock lock(shapesMutex());
    if (decision) {
        shapes()[card].insert(relative, *decision);
        return;
    }
    const auto found = shapes().find(card);
    if (found == shapes().end())
        return;
    found->remove(relative);
    if (found->isEmpty())
        shapes().erase(found);
}

} // namespace

std::optional<RVTripBreak> RVTripShapes::breakBefore(const RVVideoFile& recording)
{
    std::shared_lock lock(shapesMutex());
    if (shapes().isEmpty()) // the usual case: no decision, no path work
        return std::nullopt;
    const auto [card, relative] = cardAndRelative(recording);
    const auto found = shapes().constFind(card);
    if (found == shapes().constEnd())
        return std::nullopt;
    const auto decision = found->constFind(relative);
    if (decision == found->constEnd())
        return std::nullopt;
    return *decision;
}

std::optional<RVTripShapeChange> RVTripShapes::splitAt(const RVVideoDataPtr& recording)
{
    const RVVideoDataPtr trip = recording ? recording->parent() : nullptr;
    const RVVideoFilePtr file = firstFile(recording);
    if (!trip || !file || trip->children().empty() || trip->children().front() == recording)
        return std::nullopt;
    return changeFor(*file, RVTripBreak::Split);
}

std::optional<RVTripShapeChange> RVTripShapes::joinWithNext(const RVVideoDataList& tree,
                                                            const RVVideoDataPtr& node)
{
    if (!node || std::find(tree.begin(), tree.end(), node) == tree.end() ||
        !node->created().isValid())
        return std::nullopt;
    // The next node in time: the tree may be shown in another order (by name, by length).
    RVVideoDataPtr next;
    for (const RVVideoDataPtr& other : tree) {
        if (!other || other == node || !other->created().isValid() ||
            !(node->created() < other->created()))
            continue;
        if (!next || other->created() < next->created())
            next = other;
    }
    const RVVideoFilePtr file = firstFile(next);
    if (!file || leadChannel(node) != leadChannel(next))
        return std::nullopt;
    return changeFor(*file, RVTripBreak::Join);
}

void RVTripShapes::apply(const RVTripShapeChange& change)
{
    set(change.card, change.relative, change.after);
}

void RVTripShapes::revert(const RVTripShapeChange& change)
{
    set(change.card, change.relative, change.before);
}

void RVTripShapes::clear()
{
    std::unique_lock lock(shapesMutex());
    shapes().clear();
}

QStringList RVTripShapes::toText()
{
    std::shared_lock lock(shapesMutex());
    QStringList lines;
    for (auto card = shapes().cbegin(); card != shapes().cend(); ++card) {
        for (auto entry = card->cbegin(); entry != card->cend(); ++entry)
            lines.append(QStringList({card.key(), entry.key(),
                                      entry.value() == RVTripBreak::Split ? kSplitText : kJoinText})
                             .join(QLatin1Char('\t')));
    }
    lines.sort(); // the same decisions store as the same text
    return lines;
}

void RVTripShapes::setFromText(const QStringList& lines)
{
    clear();
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3 || fields[1].isEmpty())
            continue;
        if (fields[2] == kSplitText)
            set(fields[0], fields[1], RVTripBreak::Split);
        else if (fields[2] == kJoinText)
            set(fields[0], fields[1], RVTripBreak::Join);
    }
}

void RVTripShapes::load()
{
    setFromText(RVSettings::store().value(QLatin1String(RVSettings::kTripShapes)).toStringList());
}

void RVTripShapes::store()
{
    QSettings settings = RVSettings::store();
    settings.setValue(QLatin1String(RVSettings::kTripShapes), toText());
    settings.sync();
}
