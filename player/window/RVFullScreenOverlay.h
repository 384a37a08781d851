#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QTimer>

class QWidget;

// The controls over the video in full screen. Full screen shows the video alone; a move of the
// mouse brings a panel up over the video's lower edge holding the window's own read-outs and
// playback controls (taken from their places, not copies, so they stay live and wired), and
// after a while without movement the panel and the mouse pointer hide again. The panel stays
// while the pointer is on it. Leaving puts every widget back where it was.
class RVFullScreenOverlay final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultHideDelayMs = 2500;

    // host: the widget the video fills in full screen (the window's root view).
    explicit RVFullScreenOverlay(QWidget* host);
    ~RVFullScreenOverlay() override;

    // Moves the widgets into the panel, top to bottom, hidden until the mouse moves.
    void enter(const QList<QWidget*>& widgets);
    // Puts the widgets back into their splitter or layout at their old places.
    void leave();
    bool isActive() const { return m_active; }
    // Null until the first full screen.
    QWidget* panel() const { return m_panel; }
    // How long the panel stays after the last move (tests shorten it).
    void setHideDelay(int milliseconds) { m_hideTimer.setInterval(milliseconds); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where a widget stood before the panel took it.
    struct Spot
    {
        QPointer<QWidget> widget;
        QPointer<QWidget> parent;
        int index = -1; // in the parent splitter, else in the parent's box layout
    };

    void reveal();
    void conceal();
    void placePanel();

    QPointer<QWidget> m_host;
    QPointer<QWidget> m_panel;
    QList<Spot> m_spots;
    QTimer m_hideTimer;
    bool m_active = false;
    bool m_hostTracked = false; // the host's mouse tracking before
    QPointF m_lastMove;         // where the pointer was at the last move that counted
};
