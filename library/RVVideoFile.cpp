#include "library/RVVideoFile.h"

#include <cmath>

RVVideoFile::RVVideoFile(QString filePath, float durationSeconds, RVTimestamp created, bool locked)
    : RVVideoFile({RVVideoView{RVChannel::Front, std::move(filePath)}}, durationSeconds, created,
                  locked)
{}

RVVideoFile::RVVideoFile(std::vector<RVVideoView> views, float durationSeconds, RVTimestamp created,
                         bool locked, std::vector<RVFileId> ids, std::vector<std::uint64_t> sizes,
                         std::vector<std::uint64_t> mountIds)
    : m_views(std::move(views)), m_ids(std::move(ids)), m_sizes(std::move(sizes)),
      m_mountIds(std::move(mountIds)),
      m_filePath(m_views.empty() ? QString() : m_views.front().filePath),
      m_duration(durationSeconds), m_created(created), m_locked(locked)
{
    if (const std::optional<RVRecordingName> name = parseRecordingName(m_filePath)) {
        m_mode = name->mode;
        m_modeCode = name->modeCode;
        m_family = name->family;
        m_chapterSeries = name->chapterSeries;
        m_chapter = name->chapter;
    }
}

QStringList RVVideoFile::copyKeys() const
{
    QStringList keys;
    for (std::size_t i = 0; i < m_views.size() && i < m_sizes.size(); ++i) {
        const QString& path = m_views[i].filePath;
        if (m_sizes[i] == 0 || !parseRecordingName(path))
            continue;
        keys.append(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1) + QLatin1Char('|') +
                    QString::number(m_sizes[i]));
    }
    return keys;
}

float RVVideoFile::knownDuration() const
{
    const float seconds = duration();
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
}

QString RVVideoFile::fileName() const
{
    const qsizetype slash = m_filePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? m_filePath : m_filePath.mid(slash + 1);
}

QString RVVideoFile::description() const
{
    const RVTimestamp when = created();
    const QString createdText =
        when.isValid() ? when.toDateTime().toString(Qt::ISODateWithMs) : QStringLiteral("(null)");
    return QStringLiteral("%1, %2, %3")
        .arg(fileName())
        .arg(double(duration()), 0, 'f', 6)
        .arg(createdText);
}
