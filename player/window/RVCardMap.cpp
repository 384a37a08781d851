#include "player/window/RVCardMap.h"

#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "player/files/RVTripFiguresText.h"
#include "player/map/RVCardBridge.h"
#include "player/map/RVMapScriptObject.h"
#include "player/map/RVMapView.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVMapHandOver.h"

#include <QAction>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QPointer>
#include <QTimer>

#include <map>

namespace {

// How long a changing list (a card being read, its metadata regrouping the trips) must stay
// unchanged before the card map reads it again.
constexpr int kRereadDelayMs = 1000;

QDate dayOf(const RVVideoData& node)
{
    return QDateTime::fromMSecsSinceEpoch(node.created().msecsSinceEpoch()).toLocalTime().date();
}

} // namespace

RVCardMap::RVCardMap(RVMapView& view, RVMapHandOver& map, RVVideoList& list,
                     RVTripPlayback& playback, std::function<QString()> measurementSystem,
                     QObject* parent)
    : QObject(parent), m_view(view), m_map(map), m_list(list), m_playback(playback),
      m_measurementSystem(std::move(measurementSystem)), m_toggle(new QAction(this)),
      m_bridge(new RVCardBridge(&view, this)), m_reread(new QTimer(this))
{
    m_toggle->setObjectName(QStringLiteral("menuWholeCardMap"));
    m_toggle->setCheckable(true);
    connect(m_toggle, &QAction::toggled, this, &RVCardMap::setOn);
    connect(this, &RVCardMap::routeRead, this, &RVCardMap::takeRoutes, Qt::QueuedConnection);
    connect(m_view.scriptObject(), &RVMapScriptObject::cardRouteClickedAt, m_bridge,
            &RVCardBridge::routeClicked);
    connect(m_bridge, &RVCardBridge::momentChosen, this, &RVCardMap::play);
    // A page loaded anew (another provider) shows the card again.
    connect(&m_view, &RVMapView::pageReady, this, [this] {
        if (m_on)
            m_bridge->redraw();
    });
    m_reread->setSingleShot(true);
    m_reread->setInterval(kRereadDelayMs);
    connect(m_reread, &QTimer::timeout, this, [this] {
        if (m_on)
            startReading();
    });
    // Emitted on the list's pool: queued to this thread.
    connect(&m_list, &RVVideoList::videoListUpdated, this, [this] {
        if (m_on)
            m_reread->start();
    });
    retranslate();
}

RVCardMap::~RVCardMap()
{
    stopReading();
}

void RVCardMap::retranslate()
{
    //% "Whole &Card on Map"
    m_toggle->setText(qtTrId("MENU_WHOLE_CARD_MAP"));
    if (m_on)
        showLegend();
}

void RVCardMap::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (m_toggle->isChecked() != on)
        m_toggle->setChecked(on);
    if (on) {
        m_map.setSuspended(true);
        startReading();
        return;
    }
    m_reread->stop();
    stopReading();
    m_nodes.clear();
    m_drawn.clear();
    m_bridge->clear();
    m_map.setSuspended(false); // the trip's route again, shown whole
}

void RVCardMap::stopReading()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
    m_stop = false;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_readRoutes.clear();
}

void RVCardMap::startReading()
{
    stopReading();
    const std::uint64_t generation = ++m_generation;
    const std::shared_ptr<const RVVideoDataList> all = m_list.videosData();
    m_nodes = *all;
    m_drawn.assign(m_nodes.size(), false);
    m_read = 0;
    m_bridge->clear();
    showLegend();
    m_reader = std::thread([this, generation, nodes = m_nodes] { readAll(generation, nodes); });
}

void RVCardMap::readAll(std::uint64_t generation, RVVideoDataList nodes)
{
    for (std::size_t i = 0; i < nodes.size() && !m_stop; ++i) {
        ReadRoute route;
        route.generation = generation;
        route.id = int(i);
        if (nodes[i]) {
            // Read once: a trip read before (played, or shown on an earlier card map) is not
            // read again.
            if (!nodes[i]->points())
                m_list.readGpsInfo(nodes[i], false);
            route.track = nodes[i]->points();
        }
        if (route.track)
            route.script = RVCardRoutes::routeScript(int(i), RVCardRoutes::colour(i).toStdString(),
                                                     *route.track);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_readRoutes.push_back(std::move(route));
        }
        Q_EMIT routeRead();
    }
}

void RVCardMap::takeRoutes()
{
    std::vector<ReadRoute> routes;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        routes.swap(m_readRoutes);
    }
    bool any = false;
    for (ReadRoute& route : routes) {
        if (!m_on || route.generation != m_generation)
            continue;
        ++m_read;
        any = true;
        if (!route.script.text.empty()) {
            m_drawn[std::size_t(route.id)] = true;
            m_bridge->addRoute(route.id, std::move(route.track), std::move(route.script));
        }
    }
    if (!any)
        return;
    if (m_read == int(m_nodes.size()))
        m_bridge->fitRoutes(); // the whole card, now that all is read
    showLegend();
}

void RVCardMap::showLegend()
{
    const RVMeasurementSystem system = RVSettings::isBritish(m_measurementSystem())
                                           ? RVMeasurementSystem::British
                                           : RVMeasurementSystem::Metric;
    // A line per day: the trips started that day, their distance and driving time, and the
    // colours of those drawn.
    struct Day final
    {
        int trips = 0;
        RVTripStats figures;
        QStringList colours;
    };
    std::map<QDate, Day> days;
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        const RVVideoDataPtr& node = m_nodes[i];
        if (!node || !node->created().isValid())
            continue;
        Day& day = days[dayOf(*node)];
        ++day.trips;
        if (const RVTripStatsPtr stats = node->stats()) {
            day.figures.distanceMetres += stats->distanceMetres;
            day.figures.drivingSeconds += stats->drivingSeconds;
            if (stats->start)
                day.figures.start = stats->start; // something was measured
        }
        if (m_drawn[i])
            day.colours << RVCardRoutes::colour(i);
    }
    std::vector<RVCardLegendRow> rows;
    for (const auto& [date, day] : days) {
        //% "%1 · trips: %2 · %3 · driving %4"
        rows.push_back({qtTrId("CARD_MAP_DAY")
                            .arg(QLocale().toString(date, QLocale::ShortFormat))
                            .arg(day.trips)
                            .arg(RVTripFiguresText::distance(day.figures, system))
                            .arg(RVTripFiguresText::span(day.figures.drivingSeconds)),
                        day.colours});
    }
    QString title;
    if (m_read < int(m_nodes.size())) {
        //% "Reading the tracks: %1 of %2"
        title = qtTrId("CARD_MAP_READING").arg(m_read).arg(m_nodes.size());
    } else if (m_bridge->routeCount() == 0) {
        //% "No recording in the list has a GPS track"
        title = qtTrId("CARD_MAP_NO_TRACKS");
    } else {
        //% "Click a route to play that moment"
        title = qtTrId("CARD_MAP_CLICK_TO_PLAY");
    }
    m_bridge->showLegend(title, std::move(rows));
}

void RVCardMap::play(int id, double fraction)
{
    if (id < 0 || std::size_t(id) >= m_nodes.size() || !m_nodes[std::size_t(id)])
        return;
    const RVVideoDataPtr node = m_nodes[std::size_t(id)];
    // As a double click in the list plays: only once the node's files are found to be the ones
    // listed (a changed card is read again, and the card map with it).
    m_list.checkVideoDataInBackground(
        node, [self = QPointer<RVCardMap>(this), node, fraction](const RVListedCheck& check) {
            if (!self || check.changed())
                return;
            if (self->m_playback.node() != node)
                self->m_playback.start(node);
            self->m_playback.seekToFraction(fraction);
        });
}
