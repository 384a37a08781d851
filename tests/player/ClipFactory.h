#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

// Test clips made with ffmpeg. Every frame carries its number: the top half is ten columns,
// white for a set bit and black for a clear one (least significant bit on the left), and the
// bottom half is plain grey, so a picture shown upside down reads as no number at all.
namespace ClipFactory {

struct Clip
{
    int width = 320;
    int height = 240;
    int fps = 25;
    double seconds = 3.0;
    int firstFrameNumber = 0; // the number the clip's frame 0 carries
    int keyFrameInterval = 25;
};

// Writes an H.264 MP4 to `path`; false (with ffmpeg's output in `error`) when ffmpeg failed.
bool make(const QString& path, const Clip& clip, QString* error = nullptr);
// The frame number an image of such a clip shows, or nothing when it shows no number.
std::optional<int> frameNumber(const QImage& image);

// Runs the event loop until `condition` holds or `timeoutMs` passes; returns the condition.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs the event loop for `ms` milliseconds.
void spin(int ms);

} // namespace ClipFactory
