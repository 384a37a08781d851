#pragma once

#include "export/RVExifWriter.h"
#include "metadata/RVPoint.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class RVMpvPlayer;
class RVTripPlayback;
class RVWindowDialogs;

// The still command: the frame on screen is grabbed at the video's own size (the views side by
// side or in a grid each at theirs, up to kStillMaximumSide), then the save panel proposes
// "<file name> <clock time of the frame>" as a JPEG. The video pauses from the command on, so
// the picture is the frame the name describes, and plays on once the panel is closed when it
// was playing. The picture carries the frame's clock time and the track's position and speed
// there in its EXIF data.
class RVStillCommand final : public QObject
{
    Q_OBJECT

public:
    // Runs the save panel for a proposed name; none when cancelled.
    using ChoosePath = std::function<std::optional<QString>(const QString& name)>;
    // The track's fix at the frame on screen (speed in km/h, negative when unknown).
    using Position = std::function<std::optional<RVPoint>()>;

    // Four 1920 x 1080 views side by side, or a grid of six, keep every pixel.
    static constexpr int kStillMaximumSide = 8192;

    RVStillCommand(RVMpvPlayer& player, RVTripPlayback& playback,
                   std::shared_ptr<RVWindowDialogs> dialogs, ChoosePath choosePath,
                   Position position, QObject* parent = nullptr);

    void take();

private:
    void save(const QImage& image);
    void failed(const QString& message);
    void resume();

    RVMpvPlayer& m_player;
    RVTripPlayback& m_playback;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    ChoosePath m_choosePath;
    Position m_position;
    // What the pending still's EXIF data tells, taken when asked.
    RVStillTags m_pendingTags;
    // A still was asked for; the save panel proposes this name.
    std::optional<QString> m_pendingName;
    // The rate to play on at once the panel is closed (0: it was paused).
    double m_resumeRate = 0;
};
