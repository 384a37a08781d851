#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"
#include "timeline/RVClipMarks.h"
#include "timeline/RVGraphEnvelope.h"
#include "timeline/RVGraphs.h"
#include "timeline/RVUnits.h"

#include <QImage>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QMenu;
class RVPlayerViewDelegate;

// The strip under the video: a time axis with minute:second labels over the playing trip's
// duration, up to six graphs of the trip's data (speed, altitude, total acceleration and
// acceleration along Z, Y and X), and red marks at the playback position. A click seeks; a
// drag moves the marks with the pointer and seeks as it goes (at most one seek per
// kScrubIntervalMs, the latest place winning, so decoding keeps up) and exactly where it is
// let go. The pointer over the time axis, or dragging, asks for thumbnails; a right click
// opens the playback menu (over the axis) or the graphs menu (elsewhere). A clip's marks, when
// given, shade their range over the axis and stand as lines with a handle on top; a press on
// one (within kMarkGrabPixels) drags that mark instead of seeking.
//
// It holds no playback logic: the controller is its delegate, feeds it the trip's duration,
// series and positions, and asks it to repaint (update()); setters never repaint by
// themselves. The layout is in RVSliderLayoutUtil.
class RVTimeSlider2 final : public QWidget
{
    Q_OBJECT

public:
    using SensorSeries = std::shared_ptr<const std::vector<RVSensorData>>;
    using SpeedSeries = std::shared_ptr<const std::vector<double>>; // km/h
    using PointSeries = std::shared_ptr<const std::vector<RVPoint>>;

    static constexpr int kScrubIntervalMs = 60;

    explicit RVTimeSlider2(QWidget* parent = nullptr);
    ~RVTimeSlider2() override;

    bool graphEnabled(RVGraph graph) const { return m_enabled[int(graph)]; }
    void setGraphEnabled(RVGraph graph, bool on) { m_enabled[int(graph)] = on; }

    // The duration (seconds) of the trip being played, which the time axis spans; no value
    // when no trip is set (no ticks).
    void setVideoDuration(std::optional<float> seconds) { m_videoDuration = seconds; }

    // Not owned: the controller owns the slider and outlives it.
    RVPlayerViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(RVPlayerViewDelegate* delegate) { m_delegate = delegate; }

    // Position of the trip selected in the file list, as a fraction of the duration; a
    // negative value (the selected trip is not the one playing) hides both position marks.
    double progress() const { return m_progress; }
    void setProgress(double fraction) { m_progress = fraction; }
    // Position of the playing trip, as a fraction of its duration.
    double playProgress() const { return m_playProgress; }
    void setPlayProgress(double fraction) { m_playProgress = fraction; }

    // The clip's start and end marks as fractions of the duration; none: that mark is not set.
    // The window keeps the marks (RVClipMarks) and hands them over whenever they change.
    static constexpr double kMarkGrabPixels = 4;
    void setClipMarks(std::optional<double> inFraction, std::optional<double> outFraction);
    std::optional<double> clipMark(RVClipMark mark) const
    {
        return mark == RVClipMark::In ? m_markIn : m_markOut;
    }

    // The trip's series; null when not read (the graph bands stay empty).
    const SensorSeries& gSensorData() const { return m_gSensorData; }
    void setGSensorData(SensorSeries series);
    const SpeedSeries& velocityData() const { return m_velocityData; }
    void setVelocityData(SpeedSeries series);
    const PointSeries& points() const { return m_points; }
    void setPoints(PointSeries series);

    // Where the trip's events are (trip seconds): small marks on the time axis.
    const std::vector<double>& eventMarks() const { return m_eventMarks; }
    void setEventMarks(std::vector<double> seconds) { m_eventMarks = std::move(seconds); }

    // Menus shown on right click; owned by the application, which builds them.
    void setPlaybackMenu(QMenu* menu);
    void setGraphsMenu(QMenu* menu);
    // The menu a right click at `position` opens (null when none was handed over).
    QMenu* menuForPosition(QPointF position) const;

    // How many graph envelopes have been built so far (they are rebuilt only when a series,
    // the width or the units change); for diagnostics and tests.
    std::size_t envelopeBuildCount() const { return m_envelopeBuilds; }

    // Paints the whole slider at the widget's current size (what paintEvent does).
    void draw(QPainter& painter);

    // One graph in the band `frame`, in the colours of `palette`: the Base colour behind, a
    // line a third of the way from Base to Text at `middleLine` when the data straddle it, the
    // curve and the scale marks in Text and the title in Link, centred over the axis
    // (`axisWidth` = slider width - 10) where it does not run into the top mark's label.
    // The scale is RVGraphScale's rounded one. The top mark shares the first line with the
    // title; the bottom mark and the middle line's value are labelled at the band's left or
    // right end where the curve leaves room and the band has lines to spare, never over the
    // curve. middleLine also picks the scaling: 0 scales symmetrically around zero (the axes
    // of the G-sensor). The curve runs from frame.left() + 5 to frame.right() - 5 and from 2
    // pixels above the band's bottom to 10 below its top. Fewer than two samples: the band
    // with its title and "No data". Returns where the top scale label was written (in the
    // painter's coordinates; empty for none), which the position marks keep clear of.
    static QRectF drawGraph(QPainter& painter, const RVGraphEnvelope& data, const QRectF& frame,
                            const QString& title, double middleLine, double axisWidth,
                            const QPalette& palette = QPalette());

    // How many enabled graphs were left out at the last repaint because their bands would
    // have been lower than RVSliderLayoutUtil::minimumBandHeight. The least telling go first:
    // the single acceleration axes Z, Y, X, then total acceleration, altitude, speed.
    int hiddenGraphCount() const { return m_hiddenGraphs; }

Q_SIGNALS:
    // The number of graphs left out for want of room changed (0: all are shown again).
    void hiddenGraphCountChanged(int count);
    // A clip mark is being dragged to `fraction` (not clamped; the owner of the marks clamps
    // it); `released` on the last move, when the button is let go.
    void clipMarkDragged(RVClipMark mark, double fraction, bool released);

public:
    // Room for the time axis and two graph bands; the window's splitter gives it more.
    QSize sizeHint() const override { return {600, 140}; }
    // The time axis with its labels.
    QSize minimumSizeHint() const override { return {100, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // One graph as last prepared. The envelope is rebuilt when its series, the plot width or
    // the unit factor changes; the band's picture when the envelope, the band's size or the
    // title changes. The position marks move ten times a second and touch neither.
    struct CachedGraph
    {
        bool valid = false;
        double plotWidth = 0;
        double factor = 0;
        RVGraphEnvelope envelope;
        QImage picture; // null: not drawn yet
        QRectF pictureFrame;
        QString pictureTitle;
        qint64 picturePalette = 0;
        double pictureAxisWidth = 0;
        qreal pictureRatio = 0;
        QRectF pictureTopLabel; // in the picture's coordinates

        bool isCurrent(double width, double unitFactor) const;
        void replace(RVGraphEnvelope newEnvelope, double width, double unitFactor);
    };

    void rebuildSensorGraphs(double plotWidth);
    CachedGraph& graphFor(const RVGraphDescription& graph, double plotWidth, double unitFactor);
    void drawBand(QPainter& painter, const RVGraphDescription& graph, const QRectF& frame,
                  RVMeasurementSystem system);
    void drawTicks(QPainter& painter, double axisWidth);
    void drawPositionMarks(QPainter& painter, double axisWidth);
    void drawClipMarks(QPainter& painter, double axisWidth);
    // The clip mark whose line is within kMarkGrabPixels of x, the nearer one first.
    std::optional<RVClipMark> clipMarkAt(double x) const;
    void drawEventMarks(QPainter& painter, double axisWidth);
    void invalidate(RVGraphSeries series);
    void showThumbnailAt(QPointF position);
    void scrubTo(double fraction);

    // Drawing width and height (W - 10, H - 10), stored at every repaint.
    double m_width = 0;
    double m_height = 0;
    std::array<bool, RVGraphs::kCount> m_enabled{}; // by RVGraph
    std::optional<float> m_videoDuration;
    RVPlayerViewDelegate* m_delegate = nullptr;
    double m_progress = 0;
    double m_playProgress = 0;
    std::optional<double> m_dragFraction; // where the pointer is while the left button is down
    std::optional<double> m_pendingScrub; // the latest place not sought yet
    std::optional<double> m_markIn;
    std::optional<double> m_markOut;
    std::optional<RVClipMark> m_markDrag; // the clip mark the left button holds
    QTimer m_scrubTimer;
    SensorSeries m_gSensorData;
    SpeedSeries m_velocityData;
    PointSeries m_points;
    std::vector<double> m_eventMarks;
    QPointer<QMenu> m_playbackMenu;
    QPointer<QMenu> m_graphsMenu;
    std::array<CachedGraph, RVGraphs::kCount> m_cache; // by RVGraph
    // The bands' top scale labels at the last repaint, in the slider's coordinates.
    std::vector<QRectF> m_topLabels;
    std::size_t m_envelopeBuilds = 0;
    int m_hiddenGraphs = 0;
};
