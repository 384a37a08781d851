#include "player/window/RVColumnFit.h"

#include <QEvent>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

RVColumnFit::RVColumnFit(QTreeView& view, int column, QSplitter& splitter, int otherSideMinimum)
    : QObject(&view), m_view(view), m_column(column), m_splitter(splitter),
      m_otherSideMinimum(otherSideMinimum)
{
    m_splitter.installEventFilter(this);
    if (QWidget* list = m_splitter.widget(0))
        list->installEventFilter(this);
}

void RVColumnFit::setWidths(int withoutColumn, int withColumn)
{
    m_withoutColumn = withoutColumn;
    m_withColumn = std::max(withColumn, withoutColumn);
    showOrHide();
}

bool RVColumnFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == &m_splitter) {
            // The splitter hands out its new size after this event; fit once it has.
            QTimer::singleShot(0, this, &RVColumnFit::fitSplitter);
        } else {
            showOrHide();
        }
    }
    return QObject::eventFilter(watched, event);
}

void RVColumnFit::fitSplitter()
{
    const QList<int> sizes = m_splitter.sizes();
    if (sizes.size() != 2 || m_withColumn <= 0 || !m_splitter.isVisible())
        return;
    const int total = sizes[0] + sizes[1];
    int list = sizes[0];
    if (list < m_withColumn && total - m_withColumn >= m_otherSideMinimum)
        list = m_withColumn; // room for the column: take it
    else if (sizes[1] < m_otherSideMinimum && list > m_withoutColumn)
        list = std::max(m_withoutColumn, total - m_otherSideMinimum); // give the room back
    if (list != sizes[0])
        m_splitter.setSizes({list, total - list});
}

void RVColumnFit::showOrHide()
{
    const QList<int> sizes = m_splitter.sizes();
    if (sizes.isEmpty() || m_withColumn <= 0)
        return;
    const bool hidden = sizes[0] < m_withColumn;
    if (m_view.isColumnHidden(m_column) != hidden)
        m_view.setColumnHidden(m_column, hidden);
}
