#pragma once

#include "library/RVVideoData.h"
#include "metadata/RVCameraClock.h"

#include <QSet>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QToolButton;

// The status bar's offer to correct a card's camera clock: shown when a recording's first fix
// and the time its name tells are whole hours apart (the camera's clock set to another zone,
// or never set), with a button that keeps the correction for that card and camera family.
// When the fix is the name's own wall clock written as UTC (a camera that dates its fixes by
// its clock after a cold start), a second button offers the other reading: the names are
// right, and such fixes are the clock's local time in this computer's zone.
// Closing it keeps that card's offer away until the program starts again.
class RVClockProposalBar final : public QWidget
{
    Q_OBJECT

public:
    explicit RVClockProposalBar(QWidget* parent = nullptr);

    // The first recording of the node (a trip's children in order) with a dated fix: its
    // file and that fix. Nothing when no track was read yet or none has a time.
    static std::optional<std::pair<QString, RVTimestamp>> firstFixOf(const RVVideoData& node);
    // Shows the offer for the node, or hides the bar.
    void offerFor(const RVVideoDataPtr& node);
    const std::optional<RVCameraClock::RVClockProposal>& proposal() const { return m_proposal; }
    QPushButton* applyButton() const { return m_apply; }
    // Reads fixes that follow the camera's clock by this computer's zone; shown only when the
    // recording's fix is its name's wall clock.
    QPushButton* localFixesButton() const { return m_localFixes; }
    QToolButton* dismissButton() const { return m_dismiss; }
    void retranslate();

Q_SIGNALS:
    // The correction was stored; the message says which, for the status bar.
    void applied(const QString& message);

private:
    void apply();
    void applyLocalFixes();
    static QString keyOf(const RVCameraClock::RVClockProposal& proposal);

    QLabel* m_text = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_localFixes = nullptr;
    QToolButton* m_dismiss = nullptr;
    std::optional<RVCameraClock::RVClockProposal> m_proposal;
    std::optional<RVCameraClock::RVClockProposal> m_localFixesProposal;
    QSet<QString> m_dismissed;
};
