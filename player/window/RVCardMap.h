#pragma once

#include "library/RVVideoData.h"
#include "player/map/RVCardRoutes.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QAction;
class QTimer;
class RVCardBridge;
class RVMapHandOver;
class RVMapView;
class RVTripPlayback;
class RVVideoList;

// The whole card on the map (View > Whole Card on Map, a toggle). While it is on, the map
// shows every trip of the list at once, each in its own colour, with a line per day in the
// legend (trips, distance, driving time); a click on a route plays that trip from the moment
// nearest the click, and the car marker follows whatever plays. Turned off, the map shows the
// trip's route again.
//
// The tracks are read on a thread of the card map's own, as the list reads a trip's track
// (RVVideoList::readGpsInfo, not published), and each trip's route is made ready for the page
// there too; the routes appear one by one, and the legend counts them until all are read. A
// list that changes while the card is shown is read again.
class RVCardMap final : public QObject
{
    Q_OBJECT

public:
    // measurementSystem: the window's units, asked for each legend.
    RVCardMap(RVMapView& view, RVMapHandOver& map, RVVideoList& list, RVTripPlayback& playback,
              std::function<QString()> measurementSystem, QObject* parent = nullptr);
    // Stops the reading thread (it ends after the track it is reading) and waits for it.
    ~RVCardMap() override;

    QAction* toggleAction() const { return m_toggle; }
    bool isOn() const { return m_on; }
    void setOn(bool on);
    RVCardBridge* bridge() const { return m_bridge; }
    // The texts of the installed language on the menu item and the legend.
    void retranslate();

Q_SIGNALS:
    // From the reading thread: a route is ready (see takeRoutes). No data goes with it: the
    // routes wait behind m_mutex.
    void routeRead();

private:
    struct ReadRoute final
    {
        std::uint64_t generation = 0;
        int id = 0; // index into m_nodes
        std::shared_ptr<const std::vector<RVPoint>> track;
        RVCardRouteScript script;
    };

    void startReading();
    // Asks the reading thread to stop and waits for it.
    void stopReading();
    void readAll(std::uint64_t generation, RVVideoDataList nodes);
    // On the GUI thread: draws the routes read since the last call.
    void takeRoutes();
    void showLegend();
    void play(int id, double fraction);

    RVMapView& m_view;
    RVMapHandOver& m_map;
    RVVideoList& m_list;
    RVTripPlayback& m_playback;
    std::function<QString()> m_measurementSystem;
    QAction* m_toggle = nullptr;
    RVCardBridge* m_bridge = nullptr;
    QTimer* m_reread = nullptr; // a changed list is read again once it has settled
    bool m_on = false;

    // The trips shown, in the list's order; a route's id is its trip's index here.
    RVVideoDataList m_nodes;
    std::vector<bool> m_drawn; // by id
    int m_read = 0;            // trips of m_nodes read so far

    std::uint64_t m_generation = 0; // counts reads; a route of an older read is dropped
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex; // guards m_readRoutes
    std::vector<ReadRoute> m_readRoutes;
    std::thread m_reader;
};
