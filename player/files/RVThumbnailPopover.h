#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

// The small balloon over the time slider that shows the hover thumbnail. It floats inside the
// window (a child placed by hand, above every other child), with its tip on the upper edge of
// a positioning rectangle given in the coordinates of another view, and only draws the image
// it is given: a dark box when the frame could not be made.
class RVThumbnailPopover final : public QWidget
{
    Q_OBJECT

public:
    explicit RVThumbnailPopover(QWidget* window);

    // The image view's picture, drawn at the thumbnail size (160 x 90 points).
    const QImage& thumbnail() const { return m_thumbnail; }
    void setThumbnail(const QImage& image);

    // The rectangle the tip points at, in the coordinates of the view last shown against.
    // Changing it moves a popover that is showing.
    QRect positioningRect() const { return m_positioningRect; }
    void setPositioningRect(const QRect& rect);
    // Shows the popover above `rect` of `view`, the tip on the rectangle's upper edge and
    // centred on it, kept inside the window.
    void showRelativeToRect(const QRect& rect, QWidget* view);

    // Image area and frame: the tip's height and the margin around the image, points.
    static constexpr int imageWidth = 160;
    static constexpr int imageHeight = 90;
    static constexpr int margin = 4;
    static constexpr int tipHeight = 7;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QImage m_thumbnail;
    QRect m_positioningRect;
    QPointer<QWidget> m_view;
    QPoint m_tip; // in the window's coordinates
};
