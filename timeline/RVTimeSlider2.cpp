#include "timeline/RVTimeSlider2.h"

#include "core/RVStringUtil.h"
#include "timeline/RVSliderLayoutUtil.h"
#include "timeline/RVUIUtil.h"
#include "timeline/RVUnits.h"
#include "views/RVPlayerViewDelegate.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int labelSize = 8;       // px
constexpr double labelSpacing = 4; // px at least between two tick labels

// The band's title with the unit of its scale labels, such as "Speed (km/h)".
QString titleWithUnit(const RVGraphDescription& graph, RVMeasurementSystem system)
{
    const bool british = system == RVMeasurementSystem::British;
    QString unit;
    switch (graph.unit) {
    case RVGraphUnit::Acceleration:
        unit = QStringLiteral("g"); // the same in every language
        break;
    case RVGraphUnit::Altitude:
        unit = british ? qtTrId("LABEL_ALTITUDE_FOOT") : qtTrId("LABEL_ALTITUDE_METER");
        break;
    case RVGraphUnit::Speed:
        unit = british ? qtTrId("MILES_PER_HOUR") : qtTrId("KM_PER_HOUR");
        break;
    }
    return QStringLiteral("%1 (%2)").arg(qtTrId(graph.titleId), unit);
}

// What turns the series' values into the shown unit's.
double unitFactor(RVGraphUnit unit, RVMeasurementSystem system)
{
    switch (unit) {
    case RVGraphUnit::Altitude:
        return RVUnits::altitudeFactor(system);
    case RVGraphUnit::Speed:
        return RVUnits::speedFactor(system);
    case RVGraphUnit::Acceleration:
        break;
    }
    return 1.0;
}

// The time axis and its ticks: a third of the way from the entry fields' background to their
// text, the light grey 170 of a white and black palette and a mid grey in a dark one.
QColor axisColour(const QPalette& palette)
{
    return RVUIUtil::blend(palette.color(QPalette::Text), palette.color(QPalette::Base), 1.0 / 3);
}

template <typename Element, typename Getter>
RVGraphEnvelope buildEnvelope(const std::vector<Element>* series, double plotWidth, Getter get)
{
    if (!series)
        return {};
    RVGraphEnvelope envelope(series->size(), plotWidth);
    if (!envelope.isDrawable())
        return envelope;
    for (const Element& element : *series)
        envelope.add(get(element));
    return envelope;
}

} // namespace

RVTimeSlider2::RVTimeSlider2(QWidget* parent) : QWidget(parent)
{
    // Hover over the time axis shows thumbnails, so moves without a button pressed count.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrubTimer.setSingleShot(true);
    m_scrubTimer.setInterval(kScrubIntervalMs);
    connect(&m_scrubTimer, &QTimer::timeout, this, [this] {
        if (!m_pendingScrub || !m_delegate)
            return;
        const double fraction = *m_pendingScrub;
        m_pendingScrub.reset();
        scrubTo(fraction);
    });
}

RVTimeSlider2::~RVTimeSlider2() = default;

void RVTimeSlider2::setGSensorData(SensorSeries series)
{
    m_gSensorData = std::move(series);
    invalidate(RVGraphSeries::GSensor);
}

void RVTimeSlider2::setVelocityData(SpeedSeries series)
{
    m_velocityData = std::move(series);
    invalidate(RVGraphSeries::Velocity);
}

void RVTimeSlider2::setPoints(PointSeries series)
{
    m_points = std::move(series);
    invalidate(RVGraphSeries::Points);
}

void RVTimeSlider2::invalidate(RVGraphSeries series)
{
    for (const RVGraphDescription& graph : RVGraphs::all()) {
        if (graph.series == series)
            m_cache[int(graph.graph)] = CachedGraph{};
    }
}

bool RVTimeSlider2::CachedGraph::isCurrent(double width, double unitFactor) const
{
    return valid && plotWidth == width && factor == unitFactor;
}

void RVTimeSlider2::CachedGraph::replace(RVGraphEnvelope newEnvelope, double width,
                                         double unitFactor)
{
    envelope = std::move(newEnvelope);
    picture = QImage();
    valid = true;
    plotWidth = width;
    factor = unitFactor;
}

void RVTimeSlider2::rebuildSensorGraphs(double plotWidth)
{
    // One pass over the samples for every stale acceleration graph that is shown: a day of
    // samples is 41 MB, and reading it once instead of four times is what a resize waits for.
    std::array<const RVGraphDescription*, RVGraphs::kCount> stale{};
    std::array<RVGraphEnvelope, RVGraphs::kCount> built;
    std::size_t staleCount = 0;
    const std::vector<RVSensorData>* series = m_gSensorData.get();
    const std::size_t count = series ? series->size() : 0;
    for (const RVGraphDescription& graph : RVGraphs::all()) {
        const int g = int(graph.graph);
        if (graph.series == RVGraphSeries::GSensor && m_enabled[g] &&
            !m_cache[g].isCurrent(plotWidth, 1.0)) {
            built[staleCount] = RVGraphEnvelope(count, plotWidth);
            stale[staleCount++] = &graph;
        }
    }
    if (count >= 2) {
        for (const RVSensorData& sample : *series) {
            for (std::size_t i = 0; i < staleCount; ++i)
                built[i].add(stale[i]->sensorValue(sample));
        }
    }
    for (std::size_t i = 0; i < staleCount; ++i) {
        m_cache[int(stale[i]->graph)].replace(std::move(built[i]), plotWidth, 1.0);
        ++m_envelopeBuilds;
    }
}

RVTimeSlider2::CachedGraph& RVTimeSlider2::graphFor(const RVGraphDescription& graph,
                                                    double plotWidth, double factor)
{
    CachedGraph& cached = m_cache[int(graph.graph)];
    if (cached.isCurrent(plotWidth, factor))
        return cached;
    switch (graph.series) {
    case RVGraphSeries::GSensor:
        rebuildSensorGraphs(plotWidth);
        return cached;
    case RVGraphSeries::Points:
        cached.replace(buildEnvelope(m_points.get(), plotWidth,
                                     [factor](const RVPoint& p) { return p.altitude() * factor; }),
                       plotWidth, factor);
        break;
    case RVGraphSeries::Velocity:
        cached.replace(buildEnvelope(m_velocityData.get(), plotWidth,
                                     [factor](double kmh) { return kmh * factor; }),
                       plotWidth, factor);
        break;
    }
    ++m_envelopeBuilds;
    return cached;
}

void RVTimeSlider2::drawBand(QPainter& painter, const RVGraphDescription& graph,
                             const QRectF& frame, RVMeasurementSystem system)
{
    CachedGraph& cached = graphFor(graph, frame.width() - 10, unitFactor(graph.unit, system));
    if (!cached.envelope.isDrawable()) {
        // A recording without the series gets a band that says so; no recording, nothing.
        if (m_videoDuration)
            m_topLabels.push_back(drawGraph(painter, cached.envelope, frame,
                                            titleWithUnit(graph, system), graph.middleLine, m_width,
                                            palette()));
        return;
    }
    // The picture starts at the whole pixel at or above the band, so that copying it keeps
    // every pixel where drawing directly would have put it.
    const QPointF origin(std::floor(frame.left()), std::floor(frame.top()));
    const QRectF local = frame.translated(-origin);
    const QString title = titleWithUnit(graph, system);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qint64 colours = palette().cacheKey();
    if (cached.picture.isNull() || cached.pictureFrame != local || cached.pictureTitle != title ||
        cached.pictureAxisWidth != m_width || cached.pictureRatio != ratio ||
        cached.picturePalette != colours) {
        const QSize pixels(int(std::ceil(local.right() * ratio)),
                           int(std::ceil(local.bottom() * ratio)));
        cached.picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        cached.picture.setDevicePixelRatio(ratio);
        cached.picture.fill(Qt::transparent);
        QPainter picturePainter(&cached.picture);
        cached.pictureTopLabel = drawGraph(picturePainter, cached.envelope, local, title,
                                           graph.middleLine, m_width, palette());
        cached.pictureFrame = local;
        cached.picturePalette = colours;
        cached.pictureTitle = title;
        cached.pictureAxisWidth = m_width;
        cached.pictureRatio = ratio;
    }
    painter.drawImage(origin, cached.picture);
    if (!cached.pictureTopLabel.isEmpty())
        m_topLabels.push_back(cached.pictureTopLabel.translated(origin));
}

void RVTimeSlider2::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    draw(painter);
}

void RVTimeSlider2::draw(QPainter& painter)
{
    const double fullWidth = width();
    const double fullHeight = height();
    m_width = fullWidth - 10;
    m_height = fullHeight - 10;
    painter.save();

    painter.fillRect(QRectF(0, 0, fullWidth, fullHeight), palette().color(QPalette::Window));
    // Nothing loaded (no length and no series): an empty axis and empty bands would only
    // suggest a trip of no length.
    if (!m_videoDuration && !m_gSensorData && !m_velocityData && !m_points) {
        painter.restore();
        return;
    }

    // The time axis: a thick light grey line with round ends.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(axisColour(palette()), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(RVSliderLayoutUtil::margin, RVSliderLayoutUtil::axisY),
                     QPointF(m_width + RVSliderLayoutUtil::margin, RVSliderLayoutUtil::axisY));
    // Thin straight lines stay crisp and cheap without antialiasing.
    painter.setRenderHint(QPainter::Antialiasing, false);

    drawTicks(painter, m_width);
    drawEventMarks(painter, m_width);

    // Bands lower than the minimum cannot be read: the least telling graphs, first in the
    // stacking order, make room for the others.
    const QSizeF size(fullWidth, fullHeight);
    const int enabled = int(std::count(m_enabled.begin(), m_enabled.end(), true));
    const int shown = RVSliderLayoutUtil::fittingBandCount(size, enabled);
    const std::vector<QRectF> bands = RVSliderLayoutUtil::bandRects(size, shown);
    m_topLabels.clear();
    if (!bands.empty()) {
        const RVMeasurementSystem system = RVUnits::storedSystem();
        int skip = enabled - shown;
        std::size_t band = 0;
        // The graphs stack from the end of the menu's order: the last is the lowest band.
        const auto& graphs = RVGraphs::all();
        for (auto graph = graphs.rbegin(); graph != graphs.rend() && band < bands.size(); ++graph) {
            if (!m_enabled[int(graph->graph)])
                continue;
            if (skip > 0) {
                --skip;
                continue;
            }
            drawBand(painter, *graph, bands[band++], system);
        }
    }
    if (enabled - shown != m_hiddenGraphs) {
        m_hiddenGraphs = enabled - shown;
        Q_EMIT hiddenGraphCountChanged(m_hiddenGraphs);
    }

    drawClipMarks(painter, m_width);
    drawPositionMarks(painter, m_width);
    painter.restore();
}

void RVTimeSlider2::drawTicks(QPainter& painter, double axisWidth)
{
    const float duration = *m_videoDuration;
    const double interval = RVSliderLayoutUtil::tickInterval(axisWidth, duration);
    const QRectF frame(0, 0, width(), height());
    const QColor colour = axisColour(palette());
    painter.setPen(QPen(colour, 1, Qt::SolidLine, Qt::FlatCap));
    // Every tick gets its stroke; a label that would touch the one before it is left out. The
    // end of the trip is always labelled and pushes out the labels it would touch.
    struct Label
    {
        QString text;
        double x;
        double left;
        double right;
    };
    std::vector<Label> labels;
    const std::vector<double> ticks = RVSliderLayoutUtil::tickTimes(duration, interval);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double x = RVSliderLayoutUtil::timeX(ticks[i], duration, axisWidth);
        painter.drawLine(QPointF(x, RVSliderLayoutUtil::tickTop),
                         QPointF(x, RVSliderLayoutUtil::tickBottom));
        Label label{RVStringUtil::time(ticks[i], "%d:%02d"), x, 0, 0};
        const double textWidth = RVUIUtil::textWidth(painter, label.text, labelSize);
        label.left = RVUIUtil::textLeft(textWidth, x, frame.width());
        label.right = label.left + textWidth;
        const bool isEnd = i + 1 == ticks.size();
        if (isEnd) {
            while (!labels.empty() && labels.back().right + labelSpacing > label.left)
                labels.pop_back();
        } else if (!labels.empty() && labels.back().right + labelSpacing > label.left) {
            continue;
        }
        labels.push_back(std::move(label));
    }
    const QColor textColour = palette().color(QPalette::WindowText);
    for (const Label& label : labels)
        RVUIUtil::writeText(painter, label.text, labelSize, label.x,
                            RVSliderLayoutUtil::tickLabelBottom, frame, textColour);
}

void RVTimeSlider2::drawEventMarks(QPainter& painter, double axisWidth)
{
    const float duration = m_videoDuration.value_or(0.0f);
    if (m_eventMarks.empty() || !(duration > 0))
        return;
    // An orange wedge pointing down at the axis, under the position marks drawn later.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf0, 0x8c, 0x00));
    for (const double seconds : m_eventMarks) {
        if (!std::isfinite(seconds))
            continue;
        const double x = RVSliderLayoutUtil::timeX(std::clamp(seconds, 0.0, double(duration)),
                                                   duration, axisWidth);
        const QPointF wedge[] = {{x - 4, 0}, {x + 4, 0}, {x, RVSliderLayoutUtil::tickBottom}};
        painter.drawPolygon(wedge, 3);
    }
    painter.restore();
}

void RVTimeSlider2::drawPositionMarks(QPainter& painter, double axisWidth)
{
    // progress is negative (or NaN) when the trip selected in the list is not the one
    // playing: then neither mark is shown.
    if (!(m_progress >= 0) && !m_dragFraction)
        return;
    painter.setPen(QPen(QColor(Qt::red), 1, Qt::SolidLine, Qt::FlatCap));
    const double graphsBottom = height() - RVSliderLayoutUtil::margin;
    // While dragged, both marks stand under the pointer.
    const double drag = m_dragFraction ? std::clamp(*m_dragFraction, 0.0, 1.0) : 0.0;
    const double x = (m_dragFraction ? drag : m_progress) * axisWidth + RVSliderLayoutUtil::margin;
    // A vertical mark, broken where it would cross a band's top scale label (near 0:00 the
    // mark and the label share the band's left end).
    const auto mark = [&](double at, double top, double bottom) {
        if (!std::isfinite(at))
            return;
        double from = std::min(top, bottom);
        const double to = std::max(top, bottom);
        std::vector<QRectF> crossed;
        for (const QRectF& label : m_topLabels) {
            if (at >= label.left() - 1 && at <= label.right() + 1 && label.bottom() > from &&
                label.top() < to)
                crossed.push_back(label);
        }
        std::sort(crossed.begin(), crossed.end(),
                  [](const QRectF& a, const QRectF& b) { return a.top() < b.top(); });
        for (const QRectF& label : crossed) {
            if (label.top() > from)
                painter.drawLine(QPointF(at, from), QPointF(at, label.top() - 1));
            from = std::max(from, label.bottom() + 1);
        }
        if (from < to)
            painter.drawLine(QPointF(at, from), QPointF(at, to));
    };
    mark(x, graphsBottom, RVSliderLayoutUtil::popoverZoneHeight);
    // A trip of zero duration gives a position that is not a number; draw no mark for it.
    const double playX =
        (m_dragFraction ? drag : m_playProgress) * axisWidth + RVSliderLayoutUtil::margin;
    mark(playX, RVSliderLayoutUtil::playMarkBottom, RVSliderLayoutUtil::playMarkTop);
}

void RVTimeSlider2::setClipMarks(std::optional<double> inFraction,
                                 std::optional<double> outFraction)
{
    m_markIn = inFraction;
    m_markOut = outFraction;
}

void RVTimeSlider2::drawClipMarks(QPainter& painter, double axisWidth)
{
    if (!m_markIn && !m_markOut)
        return;
    const auto xOf = [axisWidth](double fraction) {
        return std::clamp(fraction, 0.0, 1.0) * axisWidth + RVSliderLayoutUtil::margin;
    };
    const double left = xOf(m_markIn.value_or(0.0));
    const double right = xOf(m_markOut.value_or(1.0));
    QColor shade = palette().color(QPalette::Highlight);
    const QColor line = shade;
    shade.setAlpha(90);
    // The range over the axis and its labels, where the position marks do not hide it.
    painter.fillRect(QRectF(left, 0, right - left, RVSliderLayoutUtil::popoverZoneHeight), shade);
    painter.setPen(QPen(line, 2, Qt::SolidLine, Qt::FlatCap));
    const double bottom = height() - RVSliderLayoutUtil::margin;
    for (const auto& [fraction, isIn] : {std::pair(m_markIn, true), std::pair(m_markOut, false)}) {
        if (!fraction || !std::isfinite(*fraction))
            continue;
        const double x = xOf(*fraction);
        painter.drawLine(QPointF(x, 0), QPointF(x, bottom));
        // A handle pointing into the range: the start's to the right, the end's to the left.
        const double reach = isIn ? 6 : -6;
        const QPointF handle[] = {{x, 0}, {x + reach, 0}, {x, 8}};
        painter.setBrush(line);
        painter.drawPolygon(handle, 3);
        painter.setBrush(Qt::NoBrush);
    }
}

std::optional<RVClipMark> RVTimeSlider2::clipMarkAt(double x) const
{
    std::optional<RVClipMark> found;
    double best = kMarkGrabPixels;
    for (const RVClipMark mark : {RVClipMark::In, RVClipMark::Out}) {
        const std::optional<double> fraction = clipMark(mark);
        if (!fraction || !std::isfinite(*fraction))
            continue;
        const double markX = std::clamp(*fraction, 0.0, 1.0) * m_width + RVSliderLayoutUtil::margin;
        // Two marks on one place: left of them takes the start, right of them the end.
        const double distance = std::abs(x - markX);
        if (distance < best || (distance == best && found && x > markX)) {
            best = distance;
            found = mark;
        }
    }
    return found;
}

void RVTimeSlider2::setPlaybackMenu(QMenu* menu)
{
    m_playbackMenu = menu;
}

void RVTimeSlider2::setGraphsMenu(QMenu* menu)
{
    m_graphsMenu = menu;
}

QMenu* RVTimeSlider2::menuForPosition(QPointF position) const
{
    return RVSliderLayoutUtil::insidePopoverZone(position) ? m_playbackMenu.data()
                                                           : m_graphsMenu.data();
}

void RVTimeSlider2::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_width = width() - 10;
    if (m_videoDuration && (m_markDrag = clipMarkAt(event->position().x())))
        return;
    double fraction = 0;
    // Not clamped: a click in a margin gives a fraction just outside 0..1.
    if (!m_delegate || !RVSliderLayoutUtil::fractionAt(event->position().x(), width(), &fraction))
        return;
    m_dragFraction = fraction;
    m_pendingScrub.reset();
    m_scrubTimer.start();
    m_delegate->graphClicked(fraction);
    update();
}

void RVTimeSlider2::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF position = event->position();
    double fraction = 0;
    if (m_markDrag && (event->buttons() & Qt::LeftButton)) {
        RVSliderLayoutUtil::fractionAt(position.x(), width(), &fraction);
        Q_EMIT clipMarkDragged(*m_markDrag, fraction, false);
        if (m_delegate)
            m_delegate->showThumbnailAtProgress(std::clamp(fraction, 0.0, 1.0));
        return;
    }
    if (!m_delegate)
        return;
    if (m_dragFraction && (event->buttons() & Qt::LeftButton) &&
        RVSliderLayoutUtil::fractionAt(position.x(), width(), &fraction)) {
        // A drag: the marks follow the pointer at once, the video as fast as it can.
        m_dragFraction = fraction;
        scrubTo(fraction);
        update();
        m_delegate->showPopover();
        m_delegate->showThumbnailAtProgress(std::clamp(fraction, 0.0, 1.0));
        return;
    }
    // Moves with another button held are not hovering.
    if (event->buttons() != Qt::NoButton)
        return;
    showThumbnailAt(position);
}

void RVTimeSlider2::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_markDrag) {
        event->accept();
        const RVClipMark mark = *m_markDrag;
        m_markDrag.reset();
        double fraction = 0;
        RVSliderLayoutUtil::fractionAt(event->position().x(), width(), &fraction);
        Q_EMIT clipMarkDragged(mark, fraction, true);
        return;
    }
    if (event->button() != Qt::LeftButton || !m_dragFraction) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    double fraction = *m_dragFraction;
    RVSliderLayoutUtil::fractionAt(event->position().x(), width(), &fraction);
    m_dragFraction.reset();
    m_pendingScrub.reset();
    m_scrubTimer.stop();
    // The exact place let go, whatever was sought on the way.
    if (m_delegate)
        m_delegate->graphClicked(fraction);
    update();
}

void RVTimeSlider2::scrubTo(double fraction)
{
    // The first move after a quiet spell seeks at once; later ones wait for the interval, and
    // only the latest of them is sought.
    if (m_scrubTimer.isActive()) {
        m_pendingScrub = fraction;
        return;
    }
    m_delegate->graphClicked(fraction);
    m_scrubTimer.start();
}

void RVTimeSlider2::showThumbnailAt(QPointF position)
{
    if (!RVSliderLayoutUtil::insidePopoverZone(position)) {
        m_delegate->hidePopover();
        return;
    }
    m_delegate->showPopover();
    double fraction = 0;
    if (RVSliderLayoutUtil::fractionAt(position.x(), width(), &fraction))
        m_delegate->showThumbnailAtProgress(fraction);
}

void RVTimeSlider2::enterEvent(QEnterEvent* event)
{
    if (m_delegate && RVSliderLayoutUtil::insidePopoverZone(event->position()))
        m_delegate->showPopover();
    QWidget::enterEvent(event);
}

void RVTimeSlider2::leaveEvent(QEvent* event)
{
    if (m_delegate)
        m_delegate->hidePopover();
    QWidget::leaveEvent(event);
}

void RVTimeSlider2::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = menuForPosition(event->pos());
    if (!menu) {
        event->ignore();
        return;
    }
    menu->popup(event->globalPos());
    event->accept();
}
