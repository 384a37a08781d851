#pragma once

#include "views/RVClickCounter.h"

#include <QPointer>
#include <QWidget>

class QMenu;
class RVPlayerViewDelegate;

// The video area. It holds the widget that shows the video (set by the window) filling its
// whole area, and turns the mouse into delegate calls:
//   a click           -> click
//   a double click    -> click, then doubleClick (third and later clicks of a series: nothing)
//   a pinch           -> magnification(1 + the pinch amount)
//   a right click     -> the playback menu handed to it, if any
// The delegate is not owned (the controller owns this view and outlives it); the menu is
// owned by the application.
class RVPlayerView final : public QWidget
{
    Q_OBJECT

public:
    explicit RVPlayerView(QWidget* parent = nullptr);

    RVPlayerViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(RVPlayerViewDelegate* delegate) { m_delegate = delegate; }

    // The video widget. The view takes it over (as a child filling the view); a previous one
    // is deleted. Null removes it.
    QWidget* contentWidget() const { return m_content; }
    void setContentWidget(QWidget* widget);

    QMenu* playbackMenu() const;
    void setPlaybackMenu(QMenu* menu);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void handlePress(QMouseEvent* event);

    RVPlayerViewDelegate* m_delegate = nullptr;
    QPointer<QWidget> m_content;
    QPointer<QMenu> m_playbackMenu;
    RVClickCounter m_clicks;
};
