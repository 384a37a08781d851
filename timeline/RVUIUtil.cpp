#include "timeline/RVUIUtil.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace {
QFont fontOfSize(int size)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(size, 1));
    return font;
}
} // namespace

double RVUIUtil::textWidth(const QPainter& painter, const QString& text, int size)
{
    return QFontMetricsF(fontOfSize(size), painter.device()).horizontalAdvance(text);
}

double RVUIUtil::lineHeight(const QPainter& painter, int size)
{
    return QFontMetricsF(fontOfSize(size), painter.device()).height();
}

QString RVUIUtil::elided(const QPainter& painter, const QString& text, int size, double width)
{
    return QFontMetricsF(fontOfSize(size), painter.device())
        .elidedText(text, Qt::ElideRight, width);
}

QColor RVUIUtil::blend(const QColor& over, const QColor& under, double amount)
{
    const auto mix = [amount](double a, double b) {
        return int(std::lround(b + (a - b) * amount));
    };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()),
                  mix(over.blue(), under.blue()));
}

double RVUIUtil::textLeft(double textWidth, double centreX, double frameWidth)
{
    return std::max(0.0, std::min(centreX - textWidth / 2, frameWidth - textWidth));
}

void RVUIUtil::writeText(QPainter& painter, const QString& text, int size, double centreX,
                         double bottomY, const QRectF& frame, const QColor& colour)
{
    const QFont font = fontOfSize(size);
    const QFontMetricsF metrics(font, painter.device());
    const double x = textLeft(metrics.horizontalAdvance(text), centreX, frame.width());
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    // Qt places text by its baseline; the line box's bottom lies one descent below it.
    painter.drawText(QPointF(x, bottomY - metrics.descent()), text);
    painter.restore();
}

void RVUIUtil::writeText(QPainter& painter, const QString& text, int size, double centreX,
                         double bottomY, const QRectF& frame)
{
    writeText(painter, text, size, centreX, bottomY, frame,
              QGuiApplication::palette().color(QPalette::WindowText));
}
