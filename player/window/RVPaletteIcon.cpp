#include "player/window/RVPaletteIcon.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {

class PaletteIconEngine final : public QIconEngine
{
public:
    explicit PaletteIconEngine(QString path) : m_path(std::move(path)), m_shape(m_path) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, picture);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/,
                         qreal scale) override
    {
        const QSize pixels = size * scale;
        QImage image =
            m_shape.pixmap(pixels).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return {};
        // Keep the shape's alpha, take the colour from the palette.
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), colour(mode));
        painter.end();
        QPixmap result = QPixmap::fromImage(std::move(image));
        result.setDevicePixelRatio(scale);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_shape.actualSize(size, mode, state);
    }

    QIconEngine* clone() const override { return new PaletteIconEngine(m_path); }
    QString key() const override { return QStringLiteral("RVPaletteIcon"); }

private:
    static QColor colour(QIcon::Mode mode)
    {
        const QPalette palette = QGuiApplication::palette();
        return mode == QIcon::Disabled ? palette.color(QPalette::Disabled, QPalette::ButtonText)
                                       : palette.color(QPalette::Active, QPalette::ButtonText);
    }

    QString m_path;
    QIcon m_shape;
};

} // namespace

QIcon RVPaletteIcon::fromFile(const QString& path)
{
    return QIcon(new PaletteIconEngine(path));
}

QIcon RVPaletteIcon::themed(const QString& themeName, const QString& fallbackPath)
{
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return fromFile(fallbackPath);
}
