#pragma once

#include <optional>

class QIODevice;

// The movie header of a QuickTime/MP4 file, read without FFmpeg: the cameras' recordings are
// all such files, and walking a few box headers costs a handful of small reads where opening
// the file with FFmpeg costs loading its libraries and probing the container.
class RVMp4Header final
{
public:
    RVMp4Header() = delete;

    // The movie's length in seconds from its "mvhd" box (duration / time scale). Nothing when
    // the boxes cannot be walked, there is no movie header, its length is unknown or zero, or
    // the movie is fragmented ("mvex" in "moov"), whose length only the fragments give.
    static std::optional<double> movieDurationSeconds(QIODevice& device);
};
