#include "player/files/RVVideoOutlineView.h"

#include "player/files/RVVideoOutlineViewModel.h"
#include "views/RVPlayerViewDelegate.h"
#include "views/RVViewUtil.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

RVVideoOutlineView::RVVideoOutlineView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("filesView"));
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false); // a double click plays the row
    setIndentation(12);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

RVVideoOutlineViewModel* RVVideoOutlineView::outlineModel() const
{
    return qobject_cast<RVVideoOutlineViewModel*>(model());
}

QMenu* RVVideoOutlineView::menuForNode(const RVVideoDataPtr& node)
{
    Q_EMIT menuOpening(node);
    auto* menu = new QMenu(this);
    menu->addActions(m_baseMenuActions);

    auto addSeparator = [menu](const char* name) {
        QAction* separator = menu->addSeparator();
        separator->setObjectName(QString::fromLatin1(name));
    };
    auto addTripItems = [this, menu, &addSeparator] {
        if (m_tripMenuActions.isEmpty())
            return;
        addSeparator("separatorMenuItemTrip");
        menu->addActions(m_tripMenuActions);
    };
    auto addItem = [this, menu](const char* name, QString title,
                                void (RVVideoOutlineView::*slot)()) {
        QAction* item = menu->addAction(title);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, slot);
    };
    //% "Lock"
    const QString lockTitle = qtTrId("LOCK_TITLE");
    //% "Unlock"
    const QString unlockTitle = qtTrId("UNLOCK_TITLE");
    //% "Delete"
    const QString removeTitle = qtTrId("REMOVE_FILE_TITLE");

    // Below the last row there is nothing to lock or delete.
    if (!node)
        return menu;
    const RVVideoFileList& files = node->files();
    if (files.size() < 2) {
        const bool locked = !files.empty() && files.front() && files.front()->locked();
        addSeparator("separatorMenuItem1");
        if (locked) {
            addItem("unlockFileMenuItem", unlockTitle, &RVVideoOutlineView::unlockClicked);
        } else {
            addItem("lockFileMenuItem", lockTitle, &RVVideoOutlineView::lockClicked);
            addSeparator("separatorMenuItem2");
            addItem("removeFileMenuItem", removeTitle, &RVVideoOutlineView::removeClicked);
        }
        addTripItems();
        return menu;
    }

    bool any = false;
    bool all = true;
    for (const RVVideoFilePtr& file : files) {
        const bool locked = file && file->locked();
        any = any || locked;
        all = all && locked;
    }
    addSeparator("separatorMenuItem1");
    if (any)
        addItem("unlockFileMenuItem", unlockTitle, &RVVideoOutlineView::unlockClicked);
    if (!all)
        addItem("lockFileMenuItem", lockTitle, &RVVideoOutlineView::lockClicked);
    if (!any) {
        addSeparator("separatorMenuItem2");
        addItem("removeFileMenuItem", removeTitle, &RVVideoOutlineView::removeClicked);
    }
    addTripItems();
    return menu;
}

void RVVideoOutlineView::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    RVVideoOutlineViewModel* model = outlineModel();
    m_videoDataForContextMenu = model ? model->nodeAt(index) : nullptr;
    QMenu* menu = menuForNode(m_videoDataForContextMenu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void RVVideoOutlineView::lockClicked()
{
    if (m_controllerDelegate)
        m_controllerDelegate->lockClicked(m_videoDataForContextMenu);
}

void RVVideoOutlineView::unlockClicked()
{
    if (m_controllerDelegate)
        m_controllerDelegate->unlockClicked(m_videoDataForContextMenu);
}

void RVVideoOutlineView::removeClicked()
{
    if (m_controllerDelegate)
        m_controllerDelegate->removeClicked(m_videoDataForContextMenu);
}

void RVVideoOutlineView::keyPressEvent(QKeyEvent* event)
{
    if (RVViewUtil::processKeyDown(event, m_controllerDelegate)) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void RVVideoOutlineView::setPlaceholderText(const QString& text)
{
    if (text == m_placeholderText)
        return;
    m_placeholderText = text;
    viewport()->update();
}

void RVVideoOutlineView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (m_placeholderText.isEmpty() || !model() || model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    constexpr int margin = 12;
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignCenter | Qt::TextWordWrap, m_placeholderText);
}

bool RVVideoOutlineView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        RVVideoOutlineViewModel* model = outlineModel();
        const RVVideoDataPtr node = model ? model->nodeAt(index) : nullptr;
        if (node && index.column() == RVVideoOutlineViewModel::ColumnName) {
            QToolTip::showText(help->globalPos(), node->name(), viewport(), visualRect(index));
            return true;
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QTreeView::viewportEvent(event);
}
