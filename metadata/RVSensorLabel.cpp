#include "metadata/RVSensorLabel.h"

#include "metadata/RVDateFormatter.h"

QString RVSensorLabel::text() const
{
    switch (m_kind) {
    case Kind::None:
        return QString();
    case Kind::Number:
        return QString::number(std::int32_t(m_value));
    case Kind::Instant:
        return RVDateFormatter(RVDateFormatter::Pattern::Export)
            .format(RVTimestamp::fromMSecsSinceEpoch(m_value));
    }
    return QString();
}
