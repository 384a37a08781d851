#pragma once

#include "clip/RVClipRequest.h"

#include <QSize>
#include <QString>

#include <vector>

extern "C" {
#include <libavfilter/avfilter.h>
}

// The views a layout shows, in the order its filter graph takes them.
std::vector<int> layoutViews(RVClipLayout layout, int viewCount);

// The clip's picture size for a layout, a quality and the first view's picture size (even
// numbers: 4:2:0 pictures and the encoder need them).
QSize clipSize(RVClipLayout layout, RVClipQuality quality, QSize firstView);

// The filter graph text that composes `views` inputs named [v0], [v1], ... (and [ro], the
// read-out strip of readoutSize, when it is not empty) into [out] of `size`.
QString composeGraph(RVClipLayout layout, int views, QSize size, QSize readoutSize);

// A video filter graph with one buffer source per input and one sink, all frames stamped in
// the time base 1/90000.
class RVClipGraph final
{
public:
    RVClipGraph() = default;
    ~RVClipGraph();
    RVClipGraph(const RVClipGraph&) = delete;
    RVClipGraph& operator=(const RVClipGraph&) = delete;

    struct Input
    {
        QString name; // as in the graph text
        int width = 0, height = 0, format = -1;
        AVRational sampleAspect{1, 1};
    };
    // False with *error set when the graph cannot be made.
    bool build(const QString& graph, const std::vector<Input>& inputs, QString* error);
    AVFilterContext* source(std::size_t index) const { return m_sources[index]; }
    AVFilterContext* sink() const { return m_sink; }

    static constexpr AVRational timeBase{1, 90000};

private:
    AVFilterGraph* m_graph = nullptr;
    std::vector<AVFilterContext*> m_sources;
    AVFilterContext* m_sink = nullptr;
};
