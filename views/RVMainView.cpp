#include "views/RVMainView.h"

#include "views/RVViewUtil.h"

#include <QKeyEvent>

RVMainView::RVMainView(QWidget* parent) : QWidget(parent)
{
    // The root view must be able to hold the focus, or no key reaches it while no child wants
    // the keyboard.
    setFocusPolicy(Qt::StrongFocus);
}

void RVMainView::keyPressEvent(QKeyEvent* event)
{
    if (RVViewUtil::processKeyDown(event, m_delegate)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
