#pragma once

#include "library/RVTripTimeline.h"
#include "library/RVVideoData.h"
#include "timeline/RVClipMarks.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMainWindow;
class QProgressBar;
class QToolButton;
class QWidget;
class RVClipDialog;
class RVClipJob;
class RVTimeSlider2;
class RVTripPlayback;
class RVWindowActions;
class RVWindowDialogs;
struct RVClipResult;

// The window's clip export: the start and end marks of the playing trip (I, O, Escape, the
// menus, and dragging them on the slider, which only draws them), the export dialog, and the
// export itself on a worker, shown on the status bar with its progress, the time left and a
// Cancel button. One export runs at a time: the menu item is off meanwhile, and the window
// stays usable (playback, other trips).
class RVClipCommand final : public QObject
{
    Q_OBJECT

public:
    using ShowStatus = std::function<void(const QString&)>;
    // Whether the window's measurements are British (mph).
    using IsBritish = std::function<bool()>;

    RVClipCommand(RVTripPlayback& playback, RVTimeSlider2& slider, RVWindowActions& actions,
                  QMainWindow& window, std::shared_ptr<RVWindowDialogs> dialogs,
                  ShowStatus showStatus, IsBritish isBritish);
    ~RVClipCommand() override;

    // The event chosen in the events panel, if any; the dialog then offers 30 s around it
    // first (RVClipPlan::eventAt).
    using ChosenEvent = std::function<std::optional<RVEvent>()>;
    void setChosenEvent(ChosenEvent chosen) { m_chosenEvent = std::move(chosen); }

    const RVClipMarks& marks() const { return m_marks; }
    // The open export dialog, if any (tests drive it).
    RVClipDialog* dialog() const;
    bool isExporting() const;

    void setMark(RVClipMark mark);
    void clearMarks();
    // Opens the export dialog for the playing trip; accepting it starts the export.
    void openDialog();
    void cancelExport();

private:
    void showMarks();
    void markDragged(RVClipMark mark, double fraction, bool released);
    void start();
    void showProgress(double fraction, double secondsLeft);
    void finished(const RVClipResult& result, const QString& path);

    RVTripPlayback& m_playback;
    RVTimeSlider2& m_slider;
    RVWindowActions& m_actions;
    QMainWindow& m_window;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    ShowStatus m_showStatus;
    IsBritish m_isBritish;
    ChosenEvent m_chosenEvent;
    RVClipMarks m_marks;
    QPointer<RVClipDialog> m_dialog;
    // The trip the open dialog is for, as it was when the dialog opened.
    RVVideoDataPtr m_dialogNode;
    RVTripTimeline m_dialogTimeline;
    std::unique_ptr<RVClipJob> m_job;
    // The status bar's progress: the clip's name, the bar, the time left and Cancel.
    QWidget* m_progress = nullptr;
    QLabel* m_progressName = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_timeLeft = nullptr;
    QToolButton* m_cancel = nullptr;
};
