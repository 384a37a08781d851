#include "timeline/RVUIUtil.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <algorithm>

double RVUIUtil::textLeft(double textWidth, double centreX, double frameWidth)
{
    return std::max(0.0, std::min(centreX - textWidth / 2, frameWidth - textWidth));
}

void RVUIUtil::writeText(QPainter& painter, const QString& text, int size, double centreX,
                         double bottomY, const QRectF& frame, const QColor& colour)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(size, 1));
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
    writeText(painter, text, size, centreX, bottomY, frame, QColor(Qt::black));
}
