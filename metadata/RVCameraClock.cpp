#include "metadata/RVCameraClock.h"

#include "core/RVCivilTime.h"
#include "core/RVSettings.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <vector>

namespace {

struct StoredRule
{
    QString folder; // without a trailing "/"; empty for every file
    std::optional<RVCameraFamily> family;
    RVClockRule rule;
};

std::shared_mutex& rulesMutex()
{
    static std::shared_mutex mutex;
    return mutex;
}

std::vector<StoredRule>& rules()
{
    static std::vector<StoredRule> list;
    return list;
}

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder == QLatin1String("/") ? QString() : folder;
}

bool holds(const QString& folder, const QString& path)
{
    return folder.isEmpty() || (path.startsWith(folder) && path.size() > folder.size() &&
                                path.at(folder.size()) == QLatin1Char('/'));
}

// Up to ten minutes away from whole hours still counts: cameras start recording before the
// receiver has its first fix, which can take minutes after a cold start.
constexpr int kProposalSlackSeconds = 10 * 60;
constexpr int kMaxOffsetSeconds = 24 * 3600;
// A zone's offset from UTC is half an hour or more unless it is none; closer than that the
// name's wall clock and its instant cannot be told apart.
constexpr std::int64_t kLeastZoneOffsetMs = 30 * 60 * 1000;

// Whether the fix agrees with the name's wall clock read as UTC, and the rule reads the name
// far enough from that for the two to be told apart.
bool followsWallClock(const QDateTime& named, const RVClockRule& rule, RVTimestamp fix)
{
    const RVTimestamp wall = RVCameraClock::instantOf(named, RVClockRule{"UTC", 0});
    const RVTimestamp start = RVCameraClock::instantOf(named, rule);
    if (!fix.isValid() || !wall.isValid() || !start.isValid())
        return false;
    return std::abs(fix.msecsSinceEpoch() - wall.msecsSinceEpoch()) <=
               std::int64_t(kProposalSlackSeconds) * 1000 &&
           std::abs(start.msecsSinceEpoch() - wall.msecsSinceEpoch()) >= kLeastZoneOffsetMs;
}

} // namespace

RVTimestamp RVCameraClock::instantOf(const QDateTime& cameraTime, const RVClockRule& rule)
{
    if (!cameraTime.isValid())
        return RVTimestamp();
    const QDate date = cameraTime.date();
    const QTime time = cameraTime.time();
    RVTimestamp instant;
    if (rule.zone.isEmpty()) {
        RVCivilTime::Fields f;
        f.year = date.year();
        f.month = date.month();
        f.day = date.day();
        f.hour = time.hour();
        f.minute = time.minute();
        f.second = time.second();
        f.millisecond = time.msec();
        instant = RVCivilTime::localInstant(f);
    } else {
        const QTimeZone zone(rule.zone);
        if (!zone.isValid())
            return RVTimestamp();
        instant = RVTimestamp::fromDateTime(QDateTime(date, time, zone));
    }
    if (!instant.isValid())
        return instant;
    return RVTimestamp::fromMSecsSinceEpoch(instant.msecsSinceEpoch() +
                                            std::int64_t(rule.offsetSeconds) * 1000);
}

RVTimestamp RVCameraClock::startOfName(const RVRecordingName& name, const QString& path)
{
    return instantOf(name.start, ruleFor(path, name.family));
}

RVTimestamp RVCameraClock::startFromName(const QString& path)
{
    const std::optional<RVRecordingName> name = parseRecordingName(path);
    return name ? startOfName(*name, path) : RVTimestamp();
}

RVCameraClock::RVRecordingStart RVCameraClock::recordingStart(const RVMetaData* data,
                                                              const QString& path)
{
    if (data) {
        // A camera without a fix writes points without time.
        for (const RVPoint& point : data->points) {
            if (point.time().isValid())
                return {point.time(), data->pointTimes};
        }
    }
    const RVTimestamp named = startFromName(path);
    if (named.isValid())
        return {named, RVTimeSource::Name};
    return {};
}

std::optional<int> RVCameraClock::parseOffset(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)(\\d{1,2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(2).toInt();
    const int minutes = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    if (minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    if (seconds > kMaxOffsetSeconds)
        return std::nullopt;
    return match.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

QString RVCameraClock::offsetText(int seconds)
{
    const int magnitude = std::abs(seconds);
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(magnitude / 3600)
        .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'));
}

bool RVCameraClock::isKnownZone(const QByteArray& zone)
{
    return !zone.isEmpty() && QTimeZone::isTimeZoneIdAvailable(zone);
}

RVClockRule RVCameraClock::ruleFor(const QString& path, std::optional<RVCameraFamily> family)
{
    std::shared_lock lock(rulesMutex());
    const StoredRule* best = nullptr;
    for (const StoredRule& stored : rules()) {
        if (!holds(stored.folder, path) || (stored.family && stored.family != family))
            continue;
        // The deepest folder wins; in one folder, a family's own rule.
        if (!best || stored.folder.size() > best->folder.size() ||
            (stored.folder.size() == best->folder.size() && stored.family && !best->family))
            best = &stored;
    }
    return best ? best->rule : RVClockRule();
}

void RVCameraClock::setRule(const QString& folder, std::optional<RVCameraFamily> family,
                            const RVClockRule& rule)
{
    const QString key = withoutTrailingSlash(folder);
    std::unique_lock lock(rulesMutex());
    std::erase_if(rules(), [&](const StoredRule& stored) {
        return stored.folder == key && stored.family == family;
    });
    if (!rule.isDefault())
        rules().push_back({key, family, rule});
}

void RVCameraClock::clearRules()
{
    std::unique_lock lock(rulesMutex());
    rules().clear();
}

QStringList RVCameraClock::rulesToText()
{
    std::shared_lock lock(rulesMutex());
    QStringList lines;
    for (const StoredRule& stored : rules()) {
        const QString family =
            stored.family ? QString::fromLatin1(cameraFamily(*stored.family).format) : QString();
        lines.append(QStringList({stored.folder, family, QString::fromLatin1(stored.rule.zone),
                                  QString::number(stored.rule.offsetSeconds)})
                         .join(QLatin1Char('\t')));
    }
    return lines;
}

void RVCameraClock::setRulesFromText(const QStringList& lines)
{
    clearRules();
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 4)
            continue;
        std::optional<RVCameraFamily> family;
        if (!fields[1].isEmpty()) {
            family = cameraFamilyOfFormat(fields[1]);
            if (!family)
                continue;
        }
        bool number = false;
        RVClockRule rule;
        rule.zone = fields[2].toLatin1();
        rule.offsetSeconds = fields[3].toInt(&number);
        if (!number || std::abs(rule.offsetSeconds) > kMaxOffsetSeconds ||
            (!rule.zone.isEmpty() && !isKnownZone(rule.zone)))
            continue;
        setRule(fields[0], family, rule);
    }
}

void RVCameraClock::loadRules()
{
    setRulesFromText(
        RVSettings::store().value(QLatin1String(RVSettings::kCameraClocks)).toStringList());
}

void RVCameraClock::storeRules()
{
    QSettings settings = RVSettings::store();
    settings.setValue(QLatin1String(RVSettings::kCameraClocks), rulesToText());
    settings.sync();
}

std::optional<int> RVCameraClock::proposedOffset(RVTimestamp firstFix, RVTimestamp nameStart)
{
    if (!firstFix.isValid() || !nameStart.isValid())
        return std::nullopt;
    const std::int64_t seconds = (firstFix.msecsSinceEpoch() - nameStart.msecsSinceEpoch()) / 1000;
    const std::int64_t hours = std::llround(double(seconds) / 3600.0);
    if (hours == 0 || std::abs(hours) > 24 ||
        std::abs(seconds - hours * 3600) > kProposalSlackSeconds)
        return std::nullopt;
    return int(hours * 3600);
}

QString RVCameraClock::cardFolderOf(const QString& path, RVCameraFamily family)
{
    for (const QString& folder : QString::fromLatin1(cameraFamily(family).cardFolder).split('|')) {
        const QString marker = QLatin1Char('/') + folder + QLatin1Char('/');
        const qsizetype at = path.lastIndexOf(marker, -1, Qt::CaseInsensitive);
        if (at > 0)
            return path.left(at);
    }
    return path.left(std::max<qsizetype>(0, path.lastIndexOf(QLatin1Char('/'))));
}

std::optional<RVCameraClock::RVClockProposal> RVCameraClock::proposeCorrection(const QString& path,
                                                                               RVTimestamp firstFix)
{
    const std::optional<RVRecordingName> name = parseRecordingName(path);
    if (!name)
        return std::nullopt;
    const std::optional<int> added = proposedOffset(firstFix, startOfName(*name, path));
    if (!added)
        return std::nullopt;
    RVClockProposal proposal;
    proposal.folder = cardFolderOf(path, name->family);
    proposal.family = name->family;
    proposal.rule = ruleFor(path, name->family);
    proposal.rule.offsetSeconds += *added;
    proposal.addedSeconds = *added;
    return proposal;
}

void RVCameraClock::applyProposal(const RVClockProposal& proposal)
{
    setRule(proposal.folder, proposal.family, proposal.rule);
    storeRules();
}

bool RVCameraClock::fixesFollowCameraClock(const QString& path, RVTimestamp firstFix)
{
    const std::optional<RVRecordingName> name = parseRecordingName(path);
    if (!name)
        return false;
    const RVClockRule rule = ruleFor(path, name->family);
    return !rule.zone.isEmpty() && followsWallClock(name->start, rule, firstFix);
}

std::optional<RVCameraClock::RVClockProposal>
RVCameraClock::proposeCameraClockFixes(const QString& path, RVTimestamp firstFix)
{
    const std::optional<RVRecordingName> name = parseRecordingName(path);
    if (!name)
        return std::nullopt;
    RVClockRule rule = ruleFor(path, name->family);
    if (!rule.zone.isEmpty())
        return std::nullopt;
    rule.zone = QTimeZone::systemTimeZoneId();
    if (!isKnownZone(rule.zone) || !followsWallClock(name->start, rule, firstFix))
        return std::nullopt;
    RVClockProposal proposal;
    proposal.folder = cardFolderOf(path, name->family);
    proposal.family = name->family;
    proposal.rule = rule;
    return proposal;
}
