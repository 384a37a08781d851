#include "player/window/RVClockProposalBar.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

// A localised format with its values; without a translation the key shows, then the values.
QString withValues(const QString& format, const QString& first, const QString& second = {})
{
    if (format.contains(QLatin1String("%1")))
        return second.isEmpty() ? format.arg(first) : format.arg(first, second);
    return QStringList({format, first, second}).join(QLatin1Char(' ')).trimmed();
}

} // namespace

RVClockProposalBar::RVClockProposalBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("clockProposal"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QLabel(this);
    m_apply = new QPushButton(this);
    m_apply->setObjectName(QStringLiteral("applyClockCorrection"));
    m_localFixes = new QPushButton(this);
    m_localFixes->setObjectName(QStringLiteral("readFixesAsCameraClock"));
    m_dismiss = new QToolButton(this);
    m_dismiss->setObjectName(QStringLiteral("dismissClockCorrection"));
    m_dismiss->setText(QStringLiteral("\u00d7"));
    m_dismiss->setAutoRaise(true);
    layout->addWidget(m_text);
    layout->addWidget(m_apply);
    layout->addWidget(m_localFixes);
    layout->addWidget(m_dismiss);
    connect(m_apply, &QPushButton::clicked, this, [this] { apply(); });
    connect(m_localFixes, &QPushButton::clicked, this, [this] { applyLocalFixes(); });
    connect(m_dismiss, &QToolButton::clicked, this, [this] {
        if (m_proposal)
            m_dismissed.insert(keyOf(*m_proposal));
        m_proposal.reset();
        m_localFixesProposal.reset();
        hide();
    });
    hide();
}

std::optional<std::pair<QString, RVTimestamp>>
RVClockProposalBar::firstFixOf(const RVVideoData& node)
{
    if (!node.children().empty()) {
        for (const RVVideoDataPtr& child : node.children()) {
            if (!child)
                continue;
            const RVPointSeries points = child->points();
            if (points && !points->empty())
                return firstFixOf(*child);
        }
        return std::nullopt;
    }
    const RVPointSeries points = node.points();
    if (!points || node.files().empty() || !node.files().front())
        return std::nullopt;
    for (const RVPoint& point : *points) {
        if (point.time().isValid())
            return std::pair(node.files().front()->filePath(), point.time());
    }
    return std::nullopt;
}

void RVClockProposalBar::offerFor(const RVVideoDataPtr& node)
{
    const auto fix = node ? firstFixOf(*node) : std::nullopt;
    m_proposal = fix ? RVCameraClock::proposeCorrection(fix->first, fix->second) : std::nullopt;
    if (m_proposal && m_dismissed.contains(keyOf(*m_proposal)))
        m_proposal.reset();
    m_localFixesProposal =
        m_proposal ? RVCameraClock::proposeCameraClockFixes(fix->first, fix->second) : std::nullopt;
    retranslate();
    m_localFixes->setVisible(m_localFixesProposal.has_value());
    setVisible(m_proposal.has_value());
}

void RVClockProposalBar::retranslate()
{
    if (!m_proposal)
        return;
    const QString offset = RVCameraClock::offsetText(m_proposal->addedSeconds);
    const QString card = QDir::toNativeSeparators(m_proposal->folder);
    //% "The camera's clock for %1 is off its GPS time by %2."
    m_text->setText(withValues(qtTrId("CLOCK_PROPOSAL_TEXT"), card, offset));
    //% "Correct by %1"
    m_apply->setText(withValues(qtTrId("CLOCK_PROPOSAL_APPLY"), offset));
    const QString zone =
        m_localFixesProposal ? QString::fromLatin1(m_localFixesProposal->rule.zone) : QString();
    //% "GPS time is the camera's clock"
    m_localFixes->setText(qtTrId("CLOCK_PROPOSAL_LOCAL_FIXES"));
    //% "The recording's names are right, and its GPS times are the camera's local time in %1
    // written as UTC, as some cameras write them after a cold start: read such times in %1."
    m_localFixes->setToolTip(withValues(qtTrId("CLOCK_PROPOSAL_LOCAL_FIXES_TIP"), zone));
    //% "Keep the recordings' times as the camera's clock gives them"
    m_dismiss->setToolTip(qtTrId("CLOCK_PROPOSAL_DISMISS"));
}

void RVClockProposalBar::apply()
{
    if (!m_proposal)
        return;
    RVCameraClock::applyProposal(*m_proposal);
    const QString offset = RVCameraClock::offsetText(m_proposal->addedSeconds);
    const QString card = QDir::toNativeSeparators(m_proposal->folder);
    m_proposal.reset();
    m_localFixesProposal.reset();
    hide();
    //% "The camera's clock for %1 is corrected by %2."
    Q_EMIT applied(withValues(qtTrId("CLOCK_PROPOSAL_APPLIED"), card, offset));
}

void RVClockProposalBar::applyLocalFixes()
{
    if (!m_localFixesProposal)
        return;
    RVCameraClock::applyProposal(*m_localFixesProposal);
    const QString zone = QString::fromLatin1(m_localFixesProposal->rule.zone);
    const QString card = QDir::toNativeSeparators(m_localFixesProposal->folder);
    m_proposal.reset();
    m_localFixesProposal.reset();
    hide();
    //% "GPS times of %1 that follow the camera's clock are read in %2."
    Q_EMIT applied(withValues(qtTrId("CLOCK_PROPOSAL_LOCAL_APPLIED"), card, zone));
}

QString RVClockProposalBar::keyOf(const RVCameraClock::RVClockProposal& proposal)
{
    return proposal.folder + QLatin1Char('\n') + QString::number(int(proposal.family));
}
