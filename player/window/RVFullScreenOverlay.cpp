#include "player/window/RVFullScreenOverlay.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <QWidget>

#include <algorithm>

RVFullScreenOverlay::RVFullScreenOverlay(QWidget* host) : QObject(host), m_host(host)
{
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kDefaultHideDelayMs);
    connect(&m_hideTimer, &QTimer::timeout, this, &RVFullScreenOverlay::conceal);
}

RVFullScreenOverlay::~RVFullScreenOverlay()
{
    if (m_active)
        qApp->removeEventFilter(this);
}

void RVFullScreenOverlay::enter(const QList<QWidget*>& widgets)
{
    if (m_active || !m_host)
        return;
    m_active = true;
    if (!m_panel) {
        m_panel = new QWidget(m_host);
        m_panel->setObjectName(QStringLiteral("fullScreenPanel"));
        m_panel->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(m_panel);
        layout->setContentsMargins(8, 4, 8, 4);
        layout->setSpacing(2);
    }
    m_spots.clear();
    for (QWidget* widget : widgets) {
        Spot spot{widget, widget->parentWidget(), -1};
        if (auto* splitter = qobject_cast<QSplitter*>(spot.parent.data()))
            spot.index = splitter->indexOf(widget);
        else if (spot.parent && spot.parent->layout())
            spot.index = spot.parent->layout()->indexOf(widget);
        m_spots.append(spot);
        m_panel->layout()->addWidget(widget);
        widget->show();
    }
    m_panel->hide();
    // Moves over children without tracking of their own reach the host; the application's
    // filter sees moves over children that track the mouse themselves.
    m_hostTracked = m_host->hasMouseTracking();
    m_host->setMouseTracking(true);
    m_host->installEventFilter(this);
    qApp->installEventFilter(this);
    m_host->setCursor(Qt::BlankCursor);
    m_lastMove = QCursor::pos();
}

void RVFullScreenOverlay::leave()
{
    if (!m_active)
        return;
    m_active = false;
    qApp->removeEventFilter(this);
    if (m_host) {
        m_host->removeEventFilter(this);
        m_host->setMouseTracking(m_hostTracked);
        m_host->unsetCursor();
    }
    m_hideTimer.stop();
    for (const Spot& spot : std::as_const(m_spots)) {
        if (!spot.widget || !spot.parent)
            continue;
        if (auto* splitter = qobject_cast<QSplitter*>(spot.parent.data())) {
            splitter->insertWidget(spot.index, spot.widget);
        } else if (auto* box = qobject_cast<QBoxLayout*>(spot.parent->layout())) {
            spot.widget->setParent(spot.parent);
            box->insertWidget(spot.index, spot.widget);
        } else {
            spot.widget->setParent(spot.parent);
        }
        spot.widget->show();
    }
    m_spots.clear();
    if (m_panel)
        m_panel->hide();
}

bool RVFullScreenOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_active || !m_host)
        return false;
    if (watched == m_host && event->type() == QEvent::Resize) {
        placePanel();
    } else if (event->type() == QEvent::MouseMove) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Qt repeats a move to each widget up the chain and sends some of its own when
        // widgets appear under a still pointer: only a new position counts.
        const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
        if (widget && (widget == m_host || m_host->isAncestorOf(widget)) && at != m_lastMove) {
            m_lastMove = at;
            reveal();
        }
    }
    return false;
}

void RVFullScreenOverlay::reveal()
{
    m_host->unsetCursor();
    if (!m_panel->isVisible()) {
        placePanel();
        m_panel->show();
        m_panel->raise();
    }
    m_hideTimer.start();
}

void RVFullScreenOverlay::conceal()
{
    if (!m_active)
        return;
    // The user is working the slider or a button: the panel stays.
    if (m_panel->underMouse()) {
        m_hideTimer.start();
        return;
    }
    m_panel->hide();
    m_host->setCursor(Qt::BlankCursor);
}

void RVFullScreenOverlay::placePanel()
{
    if (!m_panel)
        return;
    const int width = m_host->width();
    const int height = std::min(m_host->height(), m_panel->layout()->heightForWidth(width) > 0
                                                      ? m_panel->layout()->heightForWidth(width)
                                                      : m_panel->sizeHint().height());
    m_panel->setGeometry(0, m_host->height() - height, width, height);
}
