#pragma once

#include <QString>

// Media helpers. Stateless; every operation may run on any thread.
class RVAVUtil final
{
public:
    RVAVUtil() = delete;

    // Playable length of the media in seconds, narrowed to single precision, taken from the
    // container's header without decoding a frame. NaN when the media cannot be read.
    static float getDurationOfFile(const QString& filePath);
};
