#include "player/window/RVClipCommand.h"

#include "clip/RVClipExporter.h"
#include "clip/RVClipManifest.h"
#include "core/RVMapTiles.h"
#include "core/RVSettings.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVClipDialog.h"
#include "player/window/RVClipJob.h"
#include "player/window/RVClipPlan.h"
#include "player/window/RVEventsPanel.h"
#include "player/window/RVWindowActions.h"
#include "player/window/RVWindowDialogs.h"
#include "timeline/RVTimeSlider2.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <cmath>
#include <utility>

namespace {

// Trip seconds as the clip dialog shows them: "1:05.5".
QString clock(double seconds)
{
    const double t = std::max(0.0, seconds);
    const int tenths = int(std::llround(t * 10));
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QString span(double from, double to)
{
    return QStringLiteral("%1 – %2").arg(clock(from), clock(to));
}

QString withDetail(const QString& format, const QString& detail)
{
    return format.contains(QLatin1String("%1")) ? format.arg(detail)
                                                : format + QLatin1Char(' ') + detail;
}

} // namespace

RVClipCommand::RVClipCommand(RVTripPlayback& playback, RVTimeSlider2& slider,
                             RVWindowActions& actions, QMainWindow& window,
                             std::shared_ptr<RVWindowDialogs> dialogs, ShowStatus showStatus,
                             IsBritish isBritish)
    : m_playback(playback), m_slider(slider), m_actions(actions), m_window(window),
      m_dialogs(std::move(dialogs)), m_showStatus(std::move(showStatus)),
      m_isBritish(std::move(isBritish)), m_job(std::make_unique<RVClipJob>())
{
    using C = RVWindowCommand;
    connect(actions.action(C::MarkIn), &QAction::triggered, this,
            [this] { setMark(RVClipMark::In); });
    connect(actions.action(C::MarkOut), &QAction::triggered, this,
            [this] { setMark(RVClipMark::Out); });
    connect(actions.action(C::ClearMarks), &QAction::triggered, this, &RVClipCommand::clearMarks);
    connect(actions.action(C::ExportClip), &QAction::triggered, this, &RVClipCommand::openDialog);
    // Marks belong to one trip: a new one starts without.
    connect(&playback, &RVTripPlayback::opening, this, [this](bool newNode) {
        if (!newNode)
            return;
        m_marks.reset(m_playback.duration());
        showMarks();
    });
    connect(&slider, &RVTimeSlider2::clipMarkDragged, this, &RVClipCommand::markDragged);
    connect(m_job.get(), &RVClipJob::progress, this, &RVClipCommand::showProgress);
    connect(m_job.get(), &RVClipJob::finished, this, &RVClipCommand::finished);

    m_progress = new QWidget(&window);
    m_progress->setObjectName(QStringLiteral("clipProgress"));
    auto* row = new QHBoxLayout(m_progress);
    row->setContentsMargins(0, 0, 0, 0);
    m_progressName = new QLabel(m_progress);
    m_progressBar = new QProgressBar(m_progress);
    m_progressBar->setObjectName(QStringLiteral("clipProgressBar"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->setMaximumWidth(160);
    m_timeLeft = new QLabel(m_progress);
    m_timeLeft->setObjectName(QStringLiteral("clipTimeLeft"));
    m_cancel = new QToolButton(m_progress);
    m_cancel->setObjectName(QStringLiteral("clipCancel"));
    //% "Cancel"
    m_cancel->setText(qtTrId("CLIP_CANCEL"));
    connect(m_cancel, &QToolButton::clicked, this, &RVClipCommand::cancelExport);
    row->addWidget(m_progressName);
    row->addWidget(m_progressBar);
    row->addWidget(m_timeLeft);
    row->addWidget(m_cancel);
    window.statusBar()->addPermanentWidget(m_progress);
    m_progress->hide();
}

RVClipCommand::~RVClipCommand()
{
    // Cancels a running export and waits for its thread; the engine leaves no partial clip.
    m_job.reset();
}

RVClipDialog* RVClipCommand::dialog() const
{
    return m_dialog.data();
}

bool RVClipCommand::isExporting() const
{
    return m_job->isRunning();
}

void RVClipCommand::setMark(RVClipMark mark)
{
    if (!m_playback.node())
        return;
    m_marks.set(mark, m_playback.tripTime());
    showMarks();
}

void RVClipCommand::clearMarks()
{
    m_marks.clear();
    showMarks();
}

void RVClipCommand::showMarks()
{
    m_slider.setClipMarks(m_marks.fraction(RVClipMark::In), m_marks.fraction(RVClipMark::Out));
    m_slider.update();
}

void RVClipCommand::markDragged(RVClipMark mark, double fraction, bool released)
{
    m_marks.drag(mark, fraction * m_marks.duration());
    showMarks();
    // The frame at the mark is the clip's first or last one: show it.
    if (released && m_marks.at(mark))
        m_playback.seekToTripTime(*m_marks.at(mark));
}

void RVClipCommand::openDialog()
{
    const RVVideoDataPtr node = m_playback.node();
    if (!node || m_playback.timeline().duration() <= 0) {
        //% "Export Clip"
        const QString title = qtTrId("CLIP_DIALOG_TITLE");
        //% "Play the trip or recording the clip is to come from, then choose this again."
        m_dialogs->alert(title, qtTrId("CLIP_NOTHING_PLAYING"));
        return;
    }
    if (m_dialog || isExporting())
        return;
    m_dialogNode = node;
    m_dialogTimeline = m_playback.timeline();
    const RVTripTimeline& timeline = m_dialogTimeline;

    RVClipDialog::Setup setup;
    const auto addRange = [&](const QString& label, std::pair<double, double> range) {
        if (range.second - range.first <= 0)
            return;
        setup.ranges.push_back(
            {label, range.first, range.second,
             RVClipPlan::unreadableIn(*node, timeline, range.first, range.second)});
    };
    const double position = m_playback.tripTime();
    if (const auto marked = m_marks.range()) {
        //% "Between the marks (%1)"
        addRange(withDetail(qtTrId("CLIP_RANGE_MARKED"), span(marked->first, marked->second)),
                 *marked);
    } else {
        // On an event (or just after choosing one) the clip is about it, whichever files it
        // lies between.
        const RVEventSeries events = node->eventSeries();
        const std::optional<RVEvent> event =
            RVClipPlan::eventAt(events ? *events : std::vector<RVEvent>(),
                                m_chosenEvent ? m_chosenEvent() : std::nullopt, position);
        if (event) {
            const auto around = RVClipPlan::secondsAround(timeline, event->seconds);
            const QStringList files =
                RVClipPlan::filesIn(*node, timeline, around.first, around.second);
            //% "30 s before and after the event (%1)"
            addRange(withDetail(qtTrId("CLIP_RANGE_EVENT"),
                                QStringList({RVEventsPanel::kindText(event->kind),
                                             files.join(QStringLiteral(" + ")),
                                             span(around.first, around.second)})
                                    .join(QStringLiteral(", "))),
                     around);
        }
        const auto recording = RVClipPlan::recordingAround(timeline, position);
        const auto place = timeline.locate(position);
        const QString name = place ? QFileInfo(timeline.path(place->index)).fileName() : QString();
        //% "This recording (%1)"
        addRange(withDetail(qtTrId("CLIP_RANGE_RECORDING"),
                            name + QStringLiteral(", ") + span(recording.first, recording.second)),
                 recording);
        const auto around = RVClipPlan::secondsAround(timeline, position);
        //% "30 s before and after the position (%1)"
        addRange(withDetail(qtTrId("CLIP_RANGE_AROUND"), span(around.first, around.second)),
                 around);
    }
    if (setup.ranges.empty())
        return;
    setup.layouts = RVClipPlan::layouts(*node);
    setup.layout = RVClipPlan::layoutFor(m_playback.viewChoice(), setup.layouts);
    setup.tripName = node->files().empty() ? node->name() : node->files().front()->fileName();
    setup.cameraStart = RVClipPlan::cameraStart(*node);

    m_dialog = new RVClipDialog(std::move(setup), &m_window);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_dialog, &QDialog::accepted, this, &RVClipCommand::start);
    // Window-modal and not blocking: playback and the window's timers go on meanwhile.
    m_dialog->open();
}

void RVClipCommand::start()
{
    if (!m_dialog || !m_dialogNode)
        return;
    RVClipRequest request = m_dialog->request();
    request.sources = RVClipPlan::sources(*m_dialogNode, m_dialogTimeline);
    request.series = RVClipPlan::series(*m_dialogNode, m_dialogTimeline.duration(),
                                        m_isBritish && m_isBritish());
    // The burned-in map reads the tiles the map page has cached.
    request.mapTiles = {RVMapTiles::cacheDirectory(),
                        RVMapTiles::usableTemplate(RVSettings::mapTileUrl())};
    m_dialogNode.reset();
    const QString name = QFileInfo(request.outputPath).fileName();
    if (!m_job->start(std::move(request)))
        return;
    m_actions.action(RVWindowCommand::ExportClip)->setEnabled(false);
    m_progressName->setText(name);
    m_progressBar->setValue(0);
    m_timeLeft->clear();
    m_cancel->setEnabled(true);
    m_progress->show();
}

void RVClipCommand::cancelExport()
{
    if (!isExporting())
        return;
    m_job->cancel();
    m_cancel->setEnabled(false);
}

void RVClipCommand::showProgress(double fraction, double secondsLeft)
{
    m_progressBar->setValue(int(std::lround(std::clamp(fraction, 0.0, 1.0) * 1000)));
    if (secondsLeft < 0) {
        m_timeLeft->clear();
        return;
    }
    const int left = int(std::ceil(secondsLeft));
    //% "%1 left"
    m_timeLeft->setText(
        withDetail(qtTrId("CLIP_TIME_LEFT"),
                   QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'))));
}

void RVClipCommand::finished(const RVClipResult& result, const QString& path)
{
    m_progress->hide();
    m_actions.action(RVWindowCommand::ExportClip)->setEnabled(true);
    if (result.cancelled) {
        //% "The clip export was cancelled; nothing was saved."
        m_showStatus(qtTrId("CLIP_CANCELLED"));
        return;
    }
    if (!result.ok) {
        //% "The clip could not be exported"
        m_dialogs->alert(qtTrId("CLIP_FAILED"), result.error);
        return;
    }
    //% "Clip saved: %1"
    QString text = withDetail(qtTrId("CLIP_SAVED"), QFileInfo(path).fileName());
    //% "evidence: %1"
    text +=
        QStringLiteral(", ") + withDetail(qtTrId("CLIP_MANIFEST_SAVED"),
                                          QFileInfo(RVClipManifest::manifestPath(path)).fileName());
    if (!result.gpxPath.isEmpty()) {
        //% "track: %1"
        text += QStringLiteral(", ") +
                withDetail(qtTrId("CLIP_GPX_SAVED"), QFileInfo(result.gpxPath).fileName());
    }
    if (!result.skipped.isEmpty()) {
        QStringList names;
        for (const QString& skipped : result.skipped)
            names << QFileInfo(skipped).fileName();
        //% "Left out, not readable: %1"
        text += QStringLiteral(". ") +
                withDetail(qtTrId("CLIP_SKIPPED"), names.join(QLatin1String(", ")));
    }
    m_showStatus(text);
}
