#pragma once

#include "support/Support.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// Test clips made with ffmpeg. Every frame carries its number: the top half is ten columns,
// white for a set bit and black for a clear one (least significant bit on the left), and the
// bottom half is plain grey, so a picture shown upside down reads as no number at all.
namespace ClipFactory {

struct Clip
{
    int width = 320, height = 240, fps = 25;
    double seconds = 3.0;
    // The number frame 0 carries, the frames from one key frame to the next, and the
    // picture's colour (YCbCr chroma; 128, 128 is grey).
    int firstFrameNumber = 0, keyFrameInterval = 25, cb = 128, cr = 128;
};

// Writes an H.264 MP4 of `clip` to `path` with ffmpeg.
bool make(const QString& path, const Clip& clip);
// Writes an MP4 whose header promises boxes that are not there, then noise.
bool makeBroken(const QString& path);
// A folder holding one trip, made once per test program and look: clip0.mp4 .. clip2.mp4,
// three consecutive 3-second recordings (320 x 240, 25 fps, a key frame every second) numbered
// 0-74, 75-149 and 150-224 (plus the look's first number), in the look's colour (another
// camera's view of the trip; only these two of the look may differ from a Clip's defaults),
// written one after the other so their file times follow the trip's order. Empty (and the
// test failed) when ffmpeg failed.
QString tripDir(const Clip& look = {});
QString tripClip(int index, const Clip& look = {});
// The frame number an image of such a clip shows, or nothing when it shows no number.
std::optional<int> frameNumber(const QImage& image);

using support::waitFor;

} // namespace ClipFactory
