#pragma once

#include "library/RVTripShapes.h"
#include "library/RVVideoData.h"

#include <QObject>

#include <functional>

class QAction;
class QUndoStack;
class RVVideoList;

// The file list's trip commands: "Split Trip Here" on a recording inside a trip and "Join
// with Next Trip" on a top-level row, with Undo and Redo naming the step they take back or
// make again. Each step changes the decisions kept per card (RVTripShapes), stores them in
// the settings and has the list regroup. The commands act on the row they were aimed at: the
// row a context menu opens on, or the selected row when the Edit menu opens.
class RVTripShapeCommand final : public QObject
{
    Q_OBJECT

public:
    RVTripShapeCommand(RVVideoList& list, QObject* parent = nullptr);
    ~RVTripShapeCommand() override;

    QAction* splitAction() const { return m_split; }
    QAction* joinAction() const { return m_join; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QUndoStack* stack() const { return m_stack; }

    // The row the two commands act on; each is enabled only where it can do something.
    void aim(const RVVideoDataPtr& node);
    void split();
    void join();
    // The texts of the installed language on the four actions.
    void retranslate();

private:
    void push(const RVTripShapeChange& change, bool isSplit);
    void updateUndoTexts();

    RVVideoList& m_list;
    QUndoStack* m_stack = nullptr;
    QAction* m_split = nullptr;
    QAction* m_join = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    RVVideoDataPtr m_target;
};
