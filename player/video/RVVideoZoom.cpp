#include "player/video/RVVideoZoom.h"

#include "player/video/RVMpvPlayer.h"
#include "player/video/RVVideoScrollView.h"
#include "player/video/RVZoomGeometry.h"

namespace {
constexpr double kZoomInStep = 2.0;
constexpr double kZoomOutStep = 0.5;
} // namespace

RVVideoZoom::RVVideoZoom(RVMpvPlayer& player, RVVideoScrollView& scrollView, QObject* parent)
    : QObject(parent), m_player(player), m_scrollView(scrollView)
{
    connect(&m_scrollView, &RVVideoScrollView::visibleRectChanged, this, &RVVideoZoom::updatePan);
    // A new file may have another size: lay it out again at the same factor.
    connect(&m_player, &RVMpvPlayer::itemReady, this, [this] {
        if (m_scrollView.isFitted())
            updatePan();
        else
            magnify(1.0);
    });
}

void RVVideoZoom::zoomIn()
{
    magnify(kZoomInStep);
}

void RVVideoZoom::zoomOut()
{
    magnify(kZoomOutStep);
}

void RVVideoZoom::magnify(double step)
{
    apply(RVZoomGeometry::magnification(m_factor, step, QSizeF(m_player.videoSize()),
                                        QSizeF(m_scrollView.size()),
                                        m_scrollView.visibleRect().topLeft()));
}

void RVVideoZoom::toggleNativeSize()
{
    apply(RVZoomGeometry::originalSize(m_factor, QSizeF(m_player.videoSize()),
                                       m_scrollView.documentSize().width(),
                                       QSizeF(m_scrollView.size())));
}

void RVVideoZoom::reset()
{
    magnify(1.0);
    // Away from factor 1 the fit command always ends in the fitted view.
    m_factor = 0;
    toggleNativeSize();
}

void RVVideoZoom::apply(const RVZoomLayout& layout)
{
    m_factor = layout.magnificationFactor;
    m_scrollView.setScrollersVisible(layout.scrollersShown);
    if (layout.fitted)
        m_scrollView.setFitted();
    else if (layout.playerSize)
        m_scrollView.setDocumentSize(*layout.playerSize);
    if (layout.visibleOrigin)
        m_scrollView.scrollToOrigin(*layout.visibleOrigin);
    updatePan();
}

void RVVideoZoom::updatePan()
{
    // A window made larger after a zoom may show more than the enlarged player view; the
    // video is then shown fitted to the view rather than smaller than that.
    const QRectF visible = m_scrollView.visibleRect();
    const QSizeF document = m_scrollView.documentSize().expandedTo(visible.size());
    const RVVideoPan pan =
        RVZoomGeometry::videoPan(QSizeF(m_player.videoSize()), document, visible);
    m_player.setVideoZoom(pan.zoomLog2, pan.panX, pan.panY);
}
