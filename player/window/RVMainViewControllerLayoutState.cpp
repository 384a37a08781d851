// The window's layout as the user left it: the three splitters and the file list's column
// widths, kept between launches.

#include "player/window/RVMainViewController.h"

#include "player/files/RVVideoOutlineView.h"

#include <QDataStream>
#include <QHeaderView>
#include <QIODevice>
#include <QMainWindow>
#include <QSplitter>

namespace {
// Bumped when the window's splitters or columns change, so an old state is not applied.
constexpr qint32 kLayoutStateVersion = 1;
} // namespace

QByteArray RVMainViewController::layoutState() const
{
    QByteArray state;
    // In full screen the panels are hidden: splitters saved then would hide them next time.
    if (m_window->isFullScreen())
        return state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out << kLayoutStateVersion << m_windowModeControls->saveState() << m_rightSplitter->saveState()
        << m_videoMapSplitter->saveState() << m_filesView->header()->saveState();
    return state;
}

void RVMainViewController::restoreLayoutState(const QByteArray& state)
{
    QDataStream in(state);
    qint32 version = 0;
    QByteArray outer, right, videoMap, columns;
    in >> version >> outer >> right >> videoMap >> columns;
    if (in.status() != QDataStream::Ok || version != kLayoutStateVersion)
        return; // none stored, or from another layout: the defaults stay
    m_windowModeControls->restoreState(outer);
    m_rightSplitter->restoreState(right);
    m_videoMapSplitter->restoreState(videoMap);
    m_filesView->header()->restoreState(columns);
}
