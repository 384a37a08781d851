#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class RVMpvPlayer;
class RVTripPlayback;
class RVWindowDialogs;

// The still command: the frame on screen is grabbed at the video's own size (at most
// 2000 x 2000), then the save panel proposes "<file name> <clock time of the frame>" as a
// JPEG. The video pauses from the command on, so the picture is the frame the name describes,
// and plays on once the panel is closed when it was playing.
class RVStillCommand final : public QObject
{
    Q_OBJECT

public:
    // Runs the save panel for a proposed name; none when cancelled.
    using ChoosePath = std::function<std::optional<QString>(const QString& name)>;

    RVStillCommand(RVMpvPlayer& player, RVTripPlayback& playback,
                   std::shared_ptr<RVWindowDialogs> dialogs, ChoosePath choosePath,
                   QObject* parent = nullptr);

    void take();

private:
    void save(const QImage& image);
    void failed(const QString& message);
    void resume();

    RVMpvPlayer& m_player;
    RVTripPlayback& m_playback;
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    ChoosePath m_choosePath;
    // A still was asked for; the save panel proposes this name.
    std::optional<QString> m_pendingName;
    // The rate to play on at once the panel is closed (0: it was paused).
    double m_resumeRate = 0;
};
