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
// Closing it keeps that card's offer away until the program starts again.
class RVClockProposalBar final : public QWidget
{
    Q_OBJECT

public:
    explicit RVClockProposalBar(QWidget* parent = nullptr);

    // The correction for the first recording of the node (a trip's children in order) with a
    // dated fix; none when that recording's name and fix agree, or nothing was read yet.
    static std::optional<RVCameraClock::RVClockProposal> proposalFor(const RVVideoData& node);
    // Shows the offer for the node, or hides the bar.
    void offerFor(const RVVideoDataPtr& node);
    const std::optional<RVCameraClock::RVClockProposal>& proposal() const { return m_proposal; }
    QPushButton* applyButton() const { return m_apply; }
    QToolButton* dismissButton() const { return m_dismiss; }
    void retranslate();

Q_SIGNALS:
    // The correction was stored; the message says which, for the status bar.
    void applied(const QString& message);

private:
    void apply();
    static QString keyOf(const RVCameraClock::RVClockProposal& proposal);

    QLabel* m_text = nullptr;
    QPushButton* m_apply = nullptr;
    QToolButton* m_dismiss = nullptr;
    std::optional<RVCameraClock::RVClockProposal> m_proposal;
    QSet<QString> m_dismissed;
};
