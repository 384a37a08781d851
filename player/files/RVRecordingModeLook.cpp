#include "player/files/RVRecordingModeLook.h"

#include <QApplication>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyle>

namespace {

constexpr int kIconSize = 16; // logical pixels, the list's row height allows no more

constexpr struct
{
    RVModeFilter filter;
    const char* key;
} kFilterKeys[] = {
    {RVModeFilter::All, "all"},       {RVModeFilter::Normal, "normal"},
    {RVModeFilter::Event, "event"},   {RVModeFilter::Parking, "parking"},
    {RVModeFilter::Manual, "manual"}, {RVModeFilter::Other, "other"},
};

// A letter in a rounded frame, drawn in the palette's text colour at the screen's pixel
// ratio.
QIcon letterIcon(QChar letter)
{
    const QColor ink = QApplication::palette().color(QPalette::Active, QPalette::Text);
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(kIconSize, kIconSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor frame = ink;
    frame.setAlphaF(0.6f);
    painter.setPen(QPen(frame, 1.0));
    painter.drawRoundedRect(QRectF(1.5, 1.5, kIconSize - 3, kIconSize - 3), 3, 3);
    QFont font = QApplication::font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRectF(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QString(letter));
    return QIcon(pixmap);
}

} // namespace

namespace RVRecordingModeLook {

QString modeName(RVRecordingMode mode)
{
    switch (mode) {
    case RVRecordingMode::Normal:
        //% "Normal"
        return qtTrId("MODE_NORMAL");
    case RVRecordingMode::Event:
        //% "Event"
        return qtTrId("MODE_EVENT");
    case RVRecordingMode::Parking:
        //% "Parking"
        return qtTrId("MODE_PARKING");
    case RVRecordingMode::Manual:
        //% "Manual"
        return qtTrId("MODE_MANUAL");
    case RVRecordingMode::Unknown:
        break;
    }
    //% "Other"
    return qtTrId("MODE_OTHER");
}

QString channelTitle(RVChannel channel)
{
    switch (channel) {
    case RVChannel::Front:
        return qtTrId("MENU_CAMERA_FRONT");
    case RVChannel::Rear:
        return qtTrId("MENU_CAMERA_REAR");
    case RVChannel::Interior:
        return qtTrId("MENU_CAMERA_INTERIOR");
    case RVChannel::Optional:
        return qtTrId("MENU_CAMERA_OPTIONAL");
    case RVChannel::Left:
        //% "Left"
        return qtTrId("MENU_CAMERA_LEFT");
    case RVChannel::Right:
        //% "Right"
        return qtTrId("MENU_CAMERA_RIGHT");
    case RVChannel::LeftPillar:
        //% "Left Pillar"
        return qtTrId("MENU_CAMERA_LEFT_PILLAR");
    case RVChannel::RightPillar:
        //% "Right Pillar"
        return qtTrId("MENU_CAMERA_RIGHT_PILLAR");
    }
    return {};
}

QChar channelLetter(RVChannel channel)
{
    return channelMark(channel);
}

QIcon modeIcon(RVRecordingMode mode)
{
    if (mode == RVRecordingMode::Unknown || !qApp)
        return {};
    if (mode == RVRecordingMode::Event)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // Drawn once per palette: the list asks for every visible row on every repaint, and a
    // change to a dark palette needs new pictures.
    static QHash<QPair<int, qint64>, QIcon> cache;
    const QPair<int, qint64> key(int(mode), QApplication::palette().cacheKey());
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    const QChar letter = mode == RVRecordingMode::Normal    ? QLatin1Char('N')
                         : mode == RVRecordingMode::Parking ? QLatin1Char('P')
                                                            : QLatin1Char('M');
    const QIcon icon = letterIcon(letter);
    cache.insert(key, icon);
    return icon;
}

QString filterTitle(RVModeFilter filter)
{
    switch (filter) {
    case RVModeFilter::All:
        //% "All recordings"
        return qtTrId("FILTER_ALL_RECORDINGS");
    case RVModeFilter::Normal:
        return modeName(RVRecordingMode::Normal);
    case RVModeFilter::Event:
        return modeName(RVRecordingMode::Event);
    case RVModeFilter::Parking:
        return modeName(RVRecordingMode::Parking);
    case RVModeFilter::Manual:
        return modeName(RVRecordingMode::Manual);
    case RVModeFilter::Other:
        return modeName(RVRecordingMode::Unknown);
    }
    return {};
}

QString filterKey(RVModeFilter filter)
{
    for (const auto& entry : kFilterKeys) {
        if (entry.filter == filter)
            return QLatin1String(entry.key);
    }
    return QStringLiteral("all");
}

RVModeFilter filterFromKey(const QString& key)
{
    for (const auto& entry : kFilterKeys) {
        if (key == QLatin1String(entry.key))
            return entry.filter;
    }
    return RVModeFilter::All;
}

bool passes(RVRecordingMode mode, RVModeFilter filter)
{
    switch (filter) {
    case RVModeFilter::All:
        return true;
    case RVModeFilter::Normal:
        return mode == RVRecordingMode::Normal;
    case RVModeFilter::Event:
        return mode == RVRecordingMode::Event;
    case RVModeFilter::Parking:
        return mode == RVRecordingMode::Parking;
    case RVModeFilter::Manual:
        return mode == RVRecordingMode::Manual;
    case RVModeFilter::Other:
        return mode == RVRecordingMode::Unknown;
    }
    return true;
}

} // namespace RVRecordingModeLook
