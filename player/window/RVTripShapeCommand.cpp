#include "player/window/RVTripShapeCommand.h"

#include "library/RVVideoList.h"

#include <QAction>
#include <QKeySequence>
#include <QUndoCommand>
#include <QUndoStack>

namespace {

// One split or join: made on push and again on Redo, taken back on Undo. Each time the
// decisions are stored at once (a crash must not lose them) and the list regroups.
class TripShapeStep final : public QUndoCommand
{
public:
    TripShapeStep(RVVideoList& list, RVTripShapeChange change, bool isSplit)
        : m_list(list), m_change(std::move(change)), m_isSplit(isSplit)
    {}

    bool isSplit() const { return m_isSplit; }

    void redo() override
    {
        RVTripShapes::apply(m_change);
        changed();
    }
    void undo() override
    {
        RVTripShapes::revert(m_change);
        changed();
    }

private:
    void changed()
    {
        RVTripShapes::store();
        m_list.tripShapesChanged();
    }

    RVVideoList& m_list;
    const RVTripShapeChange m_change;
    const bool m_isSplit;
};

// The step as Undo and Redo name it ("Undo Split Trip").
QString stepText(bool isSplit)
{
    if (isSplit) {
        //% "Split Trip"
        return qtTrId("TRIP_STEP_SPLIT");
    }
    //% "Join Trips"
    return qtTrId("TRIP_STEP_JOIN");
}

// "&Undo %1" with the step; a text without the place (no translation loaded) gets it after.
QString named(const QString& format, const QString& step)
{
    return format.contains(QLatin1String("%1")) ? format.arg(step)
                                                : format + QLatin1Char(' ') + step;
}

} // namespace

RVTripShapeCommand::RVTripShapeCommand(RVVideoList& list, QObject* parent)
    : QObject(parent), m_list(list), m_stack(new QUndoStack(this)), m_split(new QAction(this)),
      m_join(new QAction(this)), m_undo(new QAction(this)), m_redo(new QAction(this))
{
    m_split->setObjectName(QStringLiteral("splitTripMenuItem"));
    m_join->setObjectName(QStringLiteral("joinTripMenuItem"));
    m_undo->setObjectName(QStringLiteral("undoMenuItem"));
    m_redo->setObjectName(QStringLiteral("redoMenuItem"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setShortcut(QKeySequence::Redo);
    connect(m_split, &QAction::triggered, this, &RVTripShapeCommand::split);
    connect(m_join, &QAction::triggered, this, &RVTripShapeCommand::join);
    connect(m_undo, &QAction::triggered, m_stack, &QUndoStack::undo);
    connect(m_redo, &QAction::triggered, m_stack, &QUndoStack::redo);
    connect(m_stack, &QUndoStack::indexChanged, this, &RVTripShapeCommand::updateUndoTexts);
    aim(nullptr);
    retranslate();
}

RVTripShapeCommand::~RVTripShapeCommand() = default;

void RVTripShapeCommand::aim(const RVVideoDataPtr& node)
{
    m_target = node;
    m_split->setEnabled(RVTripShapes::splitAt(node).has_value());
    m_join->setEnabled(RVTripShapes::joinWithNext(*m_list.videosData(), node).has_value());
}

void RVTripShapeCommand::split()
{
    // Asked again: the list may have been regrouped since the row was aimed at.
    if (const auto change = RVTripShapes::splitAt(m_target))
        push(*change, true);
}

void RVTripShapeCommand::join()
{
    if (const auto change = RVTripShapes::joinWithNext(*m_list.videosData(), m_target))
        push(*change, false);
}

void RVTripShapeCommand::push(const RVTripShapeChange& change, bool isSplit)
{
    auto* step = new TripShapeStep(m_list, change, isSplit);
    step->setText(stepText(isSplit));
    m_stack->push(step); // makes the step
    aim(nullptr);        // the row may no longer be what it was
}

void RVTripShapeCommand::updateUndoTexts()
{
    const auto stepAt = [this](int index) {
        return index >= 0 && index < m_stack->count()
                   ? dynamic_cast<const TripShapeStep*>(m_stack->command(index))
                   : nullptr;
    };
    const TripShapeStep* undone = stepAt(m_stack->index() - 1);
    const TripShapeStep* redone = stepAt(m_stack->index());
    //% "&Undo %1"
    m_undo->setText(undone ? named(qtTrId("MENU_UNDO_STEP"), stepText(undone->isSplit()))
                           //% "&Undo"
                           : qtTrId("MENU_UNDO"));
    //% "&Redo %1"
    m_redo->setText(redone ? named(qtTrId("MENU_REDO_STEP"), stepText(redone->isSplit()))
                           //% "&Redo"
                           : qtTrId("MENU_REDO"));
    m_undo->setEnabled(undone != nullptr);
    m_redo->setEnabled(redone != nullptr);
}

void RVTripShapeCommand::retranslate()
{
    //% "Split Trip Here"
    m_split->setText(qtTrId("MENU_SPLIT_TRIP"));
    //% "Join with Next Trip"
    m_join->setText(qtTrId("MENU_JOIN_TRIP"));
    updateUndoTexts();
}
