#pragma once

#include "library/RVVideoData.h"

#include <QList>
#include <QPointer>
#include <QTreeView>

class QAction;
class QMenu;
class RVPlayerViewDelegate;
class RVVideoOutlineViewModel;

// The file list on the left of the player window: the outline of trips and recordings with
// the lock, name, duration and date columns. Clicks and the context menu's export and reveal
// commands are the controller's (it connects the signals and hands over its menu actions);
// lock, unlock and delete go to the controller delegate with the node the menu was opened on.
class RVVideoOutlineView final : public QTreeView
{
    Q_OBJECT

public:
    explicit RVVideoOutlineView(QWidget* parent = nullptr);

    void setControllerDelegate(RVPlayerViewDelegate* delegate) { m_controllerDelegate = delegate; }
    // The reveal and export items, shown at the top of every context menu.
    void setBaseMenuActions(QList<QAction*> actions) { m_baseMenuActions = std::move(actions); }
    // The trip items (split, join), shown last in the menu of every row after a separator;
    // menuOpening lets their owner enable them for the row first.
    void setTripMenuActions(QList<QAction*> actions) { m_tripMenuActions = std::move(actions); }

    // The node of the row the last context menu was opened on; null below the last row.
    const RVVideoDataPtr& videoDataForContextMenu() const { return m_videoDataForContextMenu; }

    // The context menu for a node (null: below the last row), as shown by a right click. Its
    // actions after the base ones depend on the lock state of the node's files:
    //   one file or none, locked:   separator, Unlock
    //   one file or none, unlocked: separator, Lock, separator, Delete
    //   several files:              separator, Unlock (if any is locked), Lock (unless all are),
    //                               and separator, Delete only when none is locked;
    // then, for a row, a separator and the trip items.
    // The caller owns the menu.
    QMenu* menuForNode(const RVVideoDataPtr& node);

    // Shown in the middle of the empty list: how to get recordings, or why none came.
    void setPlaceholderText(const QString& text);
    const QString& placeholderText() const { return m_placeholderText; }

    // The three commands of the menu, for videoDataForContextMenu().
    void lockClicked();
    void unlockClicked();
    void removeClicked();

Q_SIGNALS:
    // A context menu is being made for the node (null: below the last row).
    void menuOpening(const RVVideoDataPtr& node);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Names cut short by a narrow column show whole in a tool tip.
    bool viewportEvent(QEvent* event) override;

public:
    // Typing never jumps to rows: the keys are the player's (space, N, B, arrows).
    void keyboardSearch(const QString&) override {}

private:
    RVVideoOutlineViewModel* outlineModel() const;

    RVPlayerViewDelegate* m_controllerDelegate = nullptr;
    QList<QAction*> m_baseMenuActions;
    QList<QAction*> m_tripMenuActions;
    RVVideoDataPtr m_videoDataForContextMenu;
    QString m_placeholderText;
};
