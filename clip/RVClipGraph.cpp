#include "clip/RVClipGraph.h"

#include "clip/RVClipMuxer.h"

#include <algorithm>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixdesc.h>
}

std::vector<int> layoutViews(RVClipLayout layout, int viewCount)
{
    switch (layout) {
    case RVClipLayout::Front:
        return {0};
    case RVClipLayout::Rear:
        return {1};
    case RVClipLayout::PictureInPicture:
    case RVClipLayout::SideBySide:
        return {0, 1};
    case RVClipLayout::Grid: {
        std::vector<int> views;
        for (int v = 0; v < std::clamp(viewCount, 1, 4); ++v)
            views.push_back(v);
        return views;
    }
    }
    return {0};
}

QSize clipSize(RVClipLayout layout, RVClipQuality quality, QSize firstView)
{
    const int sourceWidth = std::max(2, firstView.width());
    const int sourceHeight = std::max(2, firstView.height());
    int height = quality == RVClipQuality::Full1080 ? 1080
                 : quality == RVClipQuality::Hd720  ? 720
                                                    : sourceHeight;
    int width = int(double(sourceWidth) * height / sourceHeight + 0.5);
    if (layout == RVClipLayout::SideBySide) // two pictures of half the width, one above nothing
        height = int(double(width) / 2 * sourceHeight / sourceWidth + 0.5);
    return {std::max(2, width & ~1), std::max(2, height & ~1)};
}

QString composeGraph(RVClipLayout layout, int views, QSize size, QSize readoutSize)
{
    const int w = size.width(), h = size.height();
    const auto scaled = [](int input, int width, int height) {
        return QStringLiteral("[v%1]scale=%2:%3:flags=bilinear,setsar=1")
            .arg(input)
            .arg(std::max(2, width & ~1))
            .arg(std::max(2, height & ~1));
    };
    QString graph;
    if (layout == RVClipLayout::PictureInPicture && views >= 2) {
        // The second view at a third of the width in the top right corner, a margin of 1/40.
        const int pw = (w / 3) & ~1, ph = (h / 3) & ~1, margin = (w / 40) & ~1;
        graph = scaled(0, w, h) + QStringLiteral("[b];") + scaled(1, pw, ph) +
                QStringLiteral("[p];[b][p]overlay=x=%1:y=%2[c]").arg(w - pw - margin).arg(margin);
    } else if (layout == RVClipLayout::SideBySide && views >= 2) {
        graph = scaled(0, w / 2, h) + QStringLiteral(",pad=%1:%2[b];").arg(w).arg(h) +
                scaled(1, w / 2, h) + QStringLiteral("[p];[b][p]overlay=x=%1:y=0[c]").arg(w / 2);
    } else if (layout == RVClipLayout::Grid && views >= 2) {
        const int cw = (w / 2) & ~1, ch = (h / 2) & ~1;
        graph = scaled(0, cw, ch) + QStringLiteral(",pad=%1:%2[g0];").arg(w).arg(h);
        for (int v = 1; v < views; ++v) {
            const int x = (v % 2) * cw, y = (v / 2) * ch;
            graph += scaled(v, cw, ch) +
                     QStringLiteral("[p%1];[g%2][p%1]overlay=x=%3:y=%4[%5];")
                         .arg(v)
                         .arg(v - 1)
                         .arg(x)
                         .arg(y)
                         .arg(v + 1 == views ? QStringLiteral("c") : QStringLiteral("g%1").arg(v));
        }
        graph.chop(1);
    } else {
        graph = scaled(0, w, h) + QStringLiteral("[c]");
    }
    if (!readoutSize.isEmpty())
        graph += QStringLiteral(";[c][ro]overlay=x=0:y=%1:format=yuv420[d]")
                     .arg(h - readoutSize.height());
    else
        graph += QStringLiteral(";[c]null[d]");
    return graph + QStringLiteral(";[d]format=yuv420p[out]");
}

RVClipGraph::~RVClipGraph()
{
    avfilter_graph_free(&m_graph);
}

bool RVClipGraph::build(const QString& graph, const std::vector<Input>& inputs, QString* error)
{
    m_graph = avfilter_graph_alloc();
    if (!m_graph) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    AVFilterInOut* outputs = nullptr; // the sources' pads, which feed the graph's inputs
    for (const Input& input : inputs) {
        const QByteArray args =
            QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
                .arg(input.width)
                .arg(input.height)
                .arg(input.format)
                .arg(timeBase.num)
                .arg(timeBase.den)
                .arg(std::max(1, input.sampleAspect.num))
                .arg(std::max(1, input.sampleAspect.den))
                .toLatin1();
        AVFilterContext* source = nullptr;
        int status = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"),
                                                  input.name.toLatin1().constData(),
                                                  args.constData(), nullptr, m_graph);
        if (status < 0) {
            *error = QStringLiteral("cannot feed the picture: ") + avErrorText(status);
            avfilter_inout_free(&outputs);
            return false;
        }
        m_sources.push_back(source);
        AVFilterInOut* pad = avfilter_inout_alloc();
        pad->name = av_strdup(input.name.toLatin1().constData());
        pad->filter_ctx = source;
        pad->pad_idx = 0;
        pad->next = outputs;
        outputs = pad;
    }
    int status = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, m_graph);
    AVFilterInOut* sinkPad = avfilter_inout_alloc();
    sinkPad->name = av_strdup("out");
    sinkPad->filter_ctx = m_sink;
    sinkPad->pad_idx = 0;
    sinkPad->next = nullptr;
    if (status >= 0)
        status = avfilter_graph_parse_ptr(m_graph, graph.toLatin1().constData(), &sinkPad, &outputs,
                                          nullptr);
    if (status >= 0)
        status = avfilter_graph_config(m_graph, nullptr);
    avfilter_inout_free(&sinkPad);
    avfilter_inout_free(&outputs);
    if (status < 0) {
        *error = QStringLiteral("cannot compose the views: ") + avErrorText(status);
        return false;
    }
    return true;
}
