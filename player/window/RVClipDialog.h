#pragma once

#include "clip/RVClipRequest.h"
#include "player/window/RVClipPlan.h"

#include <QDateTime>
#include <QDialog>
#include <QString>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// The clip export dialog: which range (the marked one, or without marks the recording at the
// position or 30 s around it), the layout of the views, the read-outs to burn in, the quality
// ("Original" only while the clip can be a copy of the camera's video), sound, the range's
// GPS track beside the clip, and the folder.
// It shows the clip's name as the export will give it and names the files in the range that
// cannot be read. The choices (but the range and layout) are kept in the settings when the
// dialog is accepted; the layout starts at the window's arrangement.
class RVClipDialog final : public QDialog
{
    Q_OBJECT

public:
    struct Setup
    {
        std::vector<RVClipPlan::Range> ranges; // at least one
        std::vector<RVClipLayout> layouts;     // at least one
        RVClipLayout layout = RVClipLayout::Front;
        QString tripName;      // the trip's first file, for the clip's name
        QDateTime cameraStart; // the camera's clock at trip second 0
    };
    static constexpr std::array<RVReadout, 6> kReadouts{
        RVReadout::Time,    RVReadout::Speed, RVReadout::Position,
        RVReadout::Heading, RVReadout::Map,   RVReadout::Acceleration};

    explicit RVClipDialog(Setup setup, QWidget* parent = nullptr);

    // The request as chosen (no sources or series: the caller adds those); the output path
    // names no existing file.
    RVClipRequest request() const;

    void accept() override;

private:
    void updateChoices();
    RVClipLayout layout() const;
    unsigned readouts() const;

    Setup m_setup;
    QComboBox* m_range = nullptr;
    QComboBox* m_layout = nullptr;
    std::array<QCheckBox*, kReadouts.size()> m_readouts{};
    QComboBox* m_quality = nullptr;
    QCheckBox* m_sound = nullptr;
    QCheckBox* m_gpx = nullptr;
    QLineEdit* m_folder = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_unreadable = nullptr;
    QLabel* m_error = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
