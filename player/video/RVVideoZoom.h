#pragma once

#include <QObject>

class RVMpvPlayer;
class RVVideoScrollView;
struct RVZoomLayout;

// Zoom and native size of the video area. The player view is the document of the scroll
// view: fitted it has the scroll view's size; a zoom step multiplies the factor by 2 or 1/2
// about the visible centre; the fit command goes from fitted to the video's native pixel size
// and from anything else back to fitted. The arithmetic is RVZoomGeometry's; here it is
// applied to the scroll view, and the player is told which part of the enlarged video to
// render.
class RVVideoZoom final : public QObject
{
    Q_OBJECT

public:
    RVVideoZoom(RVMpvPlayer& player, RVVideoScrollView& scrollView, QObject* parent = nullptr);

    void zoomIn();
    void zoomOut();
    // The fit command: native size from fitted, fitted from anything else.
    void toggleNativeSize();
    // Multiplies the factor by `step` about the visible centre; 1 lays the video out again at
    // the same factor (a new size of the view or the video), 0 fits it.
    void magnify(double step);
    // A new trip: shown fitted, and the fit command's next use goes to the native size.
    void reset();
    // 1 fitted, above 1 enlarged; 0 until the first fit.
    double factor() const { return m_factor; }

private:
    void apply(const RVZoomLayout& layout);
    void updatePan();

    RVMpvPlayer& m_player;
    RVVideoScrollView& m_scrollView;
    double m_factor = 0;
};
