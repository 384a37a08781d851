#pragma once

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

class QScrollBar;
class QWheelEvent;

// The scroll view of the video area. Its document is the player view, which may be larger
// than the view when the video is enlarged; the scrollers then pan it. The video widget itself
// always stays the size of the visible part (a GL surface many times the screen's size would
// cost its memory for nothing): the player renders the visible part of the enlarged document,
// told by visibleRectChanged.
//
// Fitted, the document follows the view's size and the scrollers are hidden.
class RVVideoScrollView final : public QWidget
{
    Q_OBJECT

public:
    explicit RVVideoScrollView(QWidget* parent = nullptr);

    // The widget shown in the visible part (the player view); the view takes it over.
    void setContentWidget(QWidget* widget);
    QWidget* contentWidget() const { return m_content; }

    // The document follows the view's size from now on.
    void setFitted();
    bool isFitted() const { return m_fitted; }
    // A document of this size (window pixels), no longer following the view.
    void setDocumentSize(QSizeF size);
    QSizeF documentSize() const;

    void setScrollersVisible(bool visible);
    bool scrollersVisible() const { return m_scrollersVisible; }

    // Scrolls so that the visible part starts at `origin` of the document, as far as the
    // document reaches.
    void scrollToOrigin(QPointF origin);
    // The visible part, in document coordinates (top left origin).
    QRectF visibleRect() const;

Q_SIGNALS:
    // The document's size, the scroll position or the visible part's size changed.
    void visibleRectChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enlarged, the wheel pans (vertically; horizontally with Shift or a sideways wheel).
    void wheelEvent(QWheelEvent* event) override;

private:
    QSizeF viewportSize() const;
    void updateRanges();

    QPointer<QWidget> m_content;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    bool m_scrollersVisible = false;
    bool m_fitted = true;
    QSizeF m_document;
};
