#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

struct mpv_node;
struct mpv_event;

// Reading mpv's answers: its maps, lists and events, checked for the format they hold.
class RVMpvNode final
{
public:
    // The value under `key` in a map node; null when it is not a map or has no such key.
    static const mpv_node* mapValue(const mpv_node& node, const char* key);
    // The INT64 value under `key` in a map node.
    static std::optional<std::int64_t> intValue(const mpv_node& node, const char* key);
    // The picture of a screenshot-raw answer; none, with `error` saying why, when the answer
    // is not a bgr0 picture that fits its data.
    static std::optional<QImage> imageFromScreenshot(const mpv_node& node, QString& error);
    // The frame rate of the played file's first video track in a track-list answer; 0 when
    // there is none.
    static double playedVideoFps(const mpv_node& list);
    // The playlist entry a START_FILE event names; -1 when it names none.
    static std::int64_t startedEntryId(const mpv_event& event);
};
