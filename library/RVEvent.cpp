#include "library/RVEvent.h"

QString eventKindName(RVEventKind kind)
{
    switch (kind) {
    case RVEventKind::CameraEvent:
        return QStringLiteral("camera-event");
    case RVEventKind::CameraManual:
        return QStringLiteral("camera-manual");
    case RVEventKind::CameraParkingImpact:
        return QStringLiteral("camera-parking-impact");
    case RVEventKind::CameraOverSpeed:
        return QStringLiteral("camera-overspeed");
    case RVEventKind::Impact:
        return QStringLiteral("impact");
    case RVEventKind::HardBraking:
        return QStringLiteral("hard-braking");
    case RVEventKind::HardAcceleration:
        return QStringLiteral("hard-acceleration");
    case RVEventKind::SharpTurn:
        return QStringLiteral("sharp-turn");
    case RVEventKind::HarshDriving:
        return QStringLiteral("harsh-driving");
    case RVEventKind::OverSpeed:
        return QStringLiteral("over-speed");
    }
    return QString();
}
