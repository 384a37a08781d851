#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// A decoded picture as packed 8-bit RGB: `height` rows of `width` R, G, B triples, top row
// first, no padding between rows. The library layer has no GUI types; views turn it into an
// image of their own.
struct RVRgbImage final
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes
};

// Media helpers. Stateless; every operation may run on any thread.
class RVAVUtil final
{
public:
    RVAVUtil() = delete;

    // Size of a hover thumbnail in pixels; the frame is stretched to it whatever its shape.
    static constexpr int thumbnailWidth = 160;
    static constexpr int thumbnailHeight = 90;

    // Keeps FFmpeg's own messages (its log) off standard error: for command-line tools, whose
    // standard error carries their own words. Call before the first media read.
    static void silenceFFmpegLog();

    // Playable length of the media in seconds, narrowed to single precision, taken from the
    // container's header without decoding a frame. NaN when the media cannot be read.
    static float getDurationOfFile(const QString& filePath);

    // The frame on screen at `seconds` truncated to whole seconds (7.9 s shows the frame at
    // 7 s), scaled to thumbnailWidth x thumbnailHeight. Times before the start give the first
    // frame, times past the end the last one. Nothing when the file has no decodable video.
    static std::optional<RVRgbImage> getThumbnailOfFile(const QString& filePath, double seconds);
    // The whole second whose frame getThumbnailOfFile shows for `seconds`: requests with the
    // same whole second give the same thumbnail.
    static std::int64_t thumbnailSecond(double seconds);
};
