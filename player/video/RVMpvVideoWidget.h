#pragma once

#include "player/video/RVMpvRendering.h"

#include <QOpenGLWidget>

#include <cstdint>

struct mpv_render_context;
struct mpv_opengl_fbo;

// The video surface: mpv's render API drawing into this widget's framebuffer. It has a render
// context for each of the player's two mpv handles (known through RVMpvRenderSource) and draws the
// active one's; the other's frames (the next file's first frame, decoded ahead) are taken without
// drawing, so that its handle does not wait for them to be shown. The render contexts are made in
// initializeGL and freed before the GL context or the player's mpv handles go away. mpv's update
// callback only posts to the GUI thread, which asks mpv what changed and schedules a repaint when
// there is a new frame. Full screen shows the window holding this widget full screen; the widget is
// never moved to another window, which would destroy its GL context.
class RVMpvVideoWidget final : public QOpenGLWidget, public RVMpvRenderTarget
{
    Q_OBJECT

public:
    explicit RVMpvVideoWidget(RVMpvRenderSource* source, QWidget* parent = nullptr);
    ~RVMpvVideoWidget() override;

    // Frees the render context (with the GL context current); safe to call more than once.
    void releaseRenderContext();
    bool hasRenderContext() const { return m_render[0] != nullptr; }
    void renderSourceClosing() override;
    void activeHandleChanged() override;
    void redrawFrame() override;
    // Shows black until the next new frame: what was shown is gone (the player was emptied).
    void clearPicture();

Q_SIGNALS:
    // A paint drew a video frame mpv had not shown before (not a redraw of the same one).
    void frameRendered();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onRenderUpdate(void* context);
    void processRenderUpdate();
    mpv_render_context* activeRender() const;
    mpv_opengl_fbo framebuffer() const;

    RVMpvRenderSource* m_source = nullptr; // null once its handles went away
    QMetaObject::Connection m_contextConnection;
    mpv_render_context* m_render[RVMpvRenderSource::kHandleCount] = {};
    bool m_frameWaiting = false;
    bool m_sourceChanged = false; // the first paint after the handles changed places
    bool m_mustDraw = false;      // the next paint draws, even a repeat at the same size
    bool m_cleared = false;       // black until a new frame comes
    QSize m_drawnSize;            // framebuffer size of the last real draw, in device pixels
};
