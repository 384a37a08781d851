#include "player/video/RVMpvNode.h"

#include <mpv/client.h>

#include <cstring>

const mpv_node* RVMpvNode::mapValue(const mpv_node& node, const char* key)
{
    if (node.format != MPV_FORMAT_NODE_MAP || !node.u.list)
        return nullptr;
    for (int i = 0; i < node.u.list->num; ++i) {
        if (std::strcmp(node.u.list->keys[i], key) == 0)
            return &node.u.list->values[i];
    }
    return nullptr;
}

std::optional<std::int64_t> RVMpvNode::intValue(const mpv_node& node, const char* key)
{
    const mpv_node* value = mapValue(node, key);
    if (!value || value->format != MPV_FORMAT_INT64)
        return std::nullopt;
    return value->u.int64;
}

// screenshot-raw answers with a map: w, h (pixels), stride (bytes per row), format and data.
// "bgr0" holds the bytes blue, green, red, unused per pixel; they are copied pixel by pixel so
// that the host's byte order does not matter.
std::optional<QImage> RVMpvNode::imageFromScreenshot(const mpv_node& node, QString& error)
{
    const auto width = intValue(node, "w");
    const auto height = intValue(node, "h");
    const auto stride = intValue(node, "stride");
    const mpv_node* format = mapValue(node, "format");
    const mpv_node* data = mapValue(node, "data");
    if (!width || !height || !stride || !format || !data || format->format != MPV_FORMAT_STRING ||
        data->format != MPV_FORMAT_BYTE_ARRAY || !data->u.ba) {
        error = QStringLiteral("unexpected screenshot answer");
        return std::nullopt;
    }
    if (std::strcmp(format->u.string, "bgr0") != 0) {
        error = QStringLiteral("unexpected screenshot format %1").arg(format->u.string);
        return std::nullopt;
    }
    const std::int64_t w = *width;
    const std::int64_t h = *height;
    const std::int64_t rowBytes = *stride;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || rowBytes < w * 4 ||
        static_cast<std::int64_t>(data->u.ba->size) < rowBytes * h) {
        error = QStringLiteral("screenshot of %1x%2 pixels does not fit its data").arg(w).arg(h);
        return std::nullopt;
    }
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (image.isNull()) {
        error = QStringLiteral("out of memory for a %1x%2 screenshot").arg(w).arg(h);
        return std::nullopt;
    }
    const auto* bytes = static_cast<const unsigned char*>(data->u.ba->data);
    for (std::int64_t y = 0; y < h; ++y) {
        const unsigned char* source = bytes + y * rowBytes;
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (std::int64_t x = 0; x < w; ++x)
            target[x] = qRgb(source[4 * x + 2], source[4 * x + 1], source[4 * x]);
    }
    return image;
}

// A track list is a list of maps with type, external and demux-fps.
double RVMpvNode::playedVideoFps(const mpv_node& list)
{
    if (list.format != MPV_FORMAT_NODE_ARRAY || !list.u.list)
        return 0.0;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node& track = list.u.list->values[i];
        const mpv_node* type = mapValue(track, "type");
        const mpv_node* external = mapValue(track, "external");
        const mpv_node* fps = mapValue(track, "demux-fps");
        if (!type || type->format != MPV_FORMAT_STRING || std::strcmp(type->u.string, "video") != 0)
            continue;
        if (external && external->format == MPV_FORMAT_FLAG && external->u.flag)
            continue;
        return fps && fps->format == MPV_FORMAT_DOUBLE ? fps->u.double_ : 0.0;
    }
    return 0.0;
}

std::int64_t RVMpvNode::startedEntryId(const mpv_event& event)
{
    const auto* start = static_cast<const mpv_event_start_file*>(event.data);
    return start ? start->playlist_entry_id : -1;
}
