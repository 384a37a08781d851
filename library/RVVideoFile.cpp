#include "library/RVVideoFile.h"

#include <cmath>

QString channelName(RVChannel channel)
{
    switch (channel) {
    case RVChannel::Front:
        return QStringLiteral("front");
    case RVChannel::Rear:
        return QStringLiteral("rear");
    case RVChannel::Interior:
        return QStringLiteral("interior");
    case RVChannel::Optional:
        return QStringLiteral("optional");
    }
    return {};
}

RVVideoFile::RVVideoFile(QString filePath, float durationSeconds, RVTimestamp created, bool locked,
                         std::vector<RVVideoView> views)
    : m_filePath(std::move(filePath)),
      m_views(views.empty() ? std::vector<RVVideoView>{{RVChannel::Front, m_filePath}}
                            : std::move(views)),
      m_duration(durationSeconds), m_created(created), m_locked(locked)
{}

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
