#include "player/video/RVMpvVideoWidget.h"

#include <mpv/render_gl.h>

#include <QGuiApplication>
#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#if __has_include(<QtGui/qguiapplication_platform.h>)
#include <QtGui/qguiapplication_platform.h>
#endif

namespace {

void* getProcAddress(void* /*context*/, const char* name)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context)
        return nullptr;
    return reinterpret_cast<void*>(context->getProcAddress(QByteArray(name)));
}

// The X11 display lets mpv share decoded hardware surfaces with GL (VA-API); elsewhere none.
void* x11Display()
{
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return x11->display();
#endif
    return nullptr;
}

} // namespace

RVMpvVideoWidget::RVMpvVideoWidget(RVMpvRenderSource* source, QWidget* parent)
    : QOpenGLWidget(parent), m_source(source)
{
    // Keep the framebuffer's content between paints, so that a repeated frame need not be
    // drawn again (see paintGL).
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    if (m_source)
        m_source->setRenderTarget(this);
}

RVMpvVideoWidget::~RVMpvVideoWidget()
{
    // QOpenGLWidget's destructor destroys the GL context; by then this part of the object is
    // gone, so the context must not call back into it.
    QObject::disconnect(m_contextConnection);
    releaseRenderContext();
    if (m_source)
        m_source->setRenderTarget(nullptr);
}

void RVMpvVideoWidget::renderSourceClosing()
{
    releaseRenderContext();
    m_source = nullptr;
}

void RVMpvVideoWidget::initializeGL()
{
    QObject::disconnect(m_contextConnection);
    m_contextConnection = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
                                  &RVMpvVideoWidget::releaseRenderContext, Qt::DirectConnection);
    if (m_render[0] || !m_source || !m_source->handle(0))
        return;
    mpv_opengl_init_params glInit{&getProcAddress, nullptr};
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_X11_DISPLAY, x11Display()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (!params[3].data)
        params[3] = {MPV_RENDER_PARAM_INVALID, nullptr};
    for (int index = 0; index < RVMpvRenderSource::kHandleCount; ++index) {
        mpv_render_context* render = nullptr;
        const int result = mpv_render_context_create(&render, m_source->handle(index), params);
        if (result < 0) {
            qWarning("mpv render context could not be created: %s", mpv_error_string(result));
            releaseRenderContext();
            return;
        }
        m_render[index] = render;
        mpv_render_context_set_update_callback(render, &RVMpvVideoWidget::onRenderUpdate, this);
    }
}

mpv_render_context* RVMpvVideoWidget::activeRender() const
{
    return m_source ? m_render[m_source->activeHandleIndex()] : nullptr;
}

mpv_opengl_fbo RVMpvVideoWidget::framebuffer() const
{
    // In device pixels: the widget's framebuffer is that much larger on a high-density screen.
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
            static_cast<int>(height() * ratio), 0};
}

void RVMpvVideoWidget::activeHandleChanged()
{
    m_sourceChanged = true;
    update();
}

void RVMpvVideoWidget::redrawFrame()
{
    m_mustDraw = true;
    update();
}

void RVMpvVideoWidget::clearPicture()
{
    m_cleared = true;
    update();
}

void RVMpvVideoWidget::paintGL()
{
    mpv_render_context* render = activeRender();
    if (m_cleared && render && m_frameWaiting) {
        // Only a frame mpv has not shown before ends the black picture; anything else mpv
        // has for the screen is taken without drawing, so that it does not wait for it.
        mpv_render_frame_info info{};
        mpv_render_param infoParam{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info};
        if (mpv_render_context_get_info(render, infoParam) >= 0 &&
            (info.flags & MPV_RENDER_FRAME_INFO_PRESENT) &&
            !(info.flags & MPV_RENDER_FRAME_INFO_REDRAW)) {
            m_cleared = false;
        } else {
            m_frameWaiting = false;
            mpv_opengl_fbo fbo = framebuffer();
            int skip = 1;
            mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                         {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                         {MPV_RENDER_PARAM_INVALID, nullptr}};
            mpv_render_context_render(render, params);
        }
    }
    if (!render || m_cleared) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    mpv_opengl_fbo fbo = framebuffer();
    // The widget's framebuffer has GL's bottom-up rows; mpv draws top-down unless flipped.
    int flipY = 1;
    // mpv's video thread already waited for the frame's display time (video-timing-offset=0).
    int blockForTargetTime = 0;
    // A redraw repeats the frame on screen (mpv asks for one when a seek starts); only a
    // frame mpv has not shown before counts as new. A redraw at an unchanged size is not
    // drawn again: the framebuffer keeps its content (partial updates), and with software GL
    // drawing a 1080p frame costs as much CPU as decoding one, which a seek needs more.
    bool newFrame = false;
    bool redraw = false;
    if (m_frameWaiting) {
        m_frameWaiting = false;
        mpv_render_frame_info info{};
        mpv_render_param infoParam{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info};
        if (mpv_render_context_get_info(render, infoParam) >= 0) {
            redraw = info.flags & MPV_RENDER_FRAME_INFO_REDRAW;
            newFrame = (info.flags & MPV_RENDER_FRAME_INFO_PRESENT) && !redraw;
        }
    }
    // The other handle's frame was taken without drawing when it came; draw it now.
    if (m_sourceChanged) {
        m_sourceChanged = false;
        newFrame = true;
        redraw = false;
    }
    const QSize size(fbo.w, fbo.h);
    int skip = (redraw && size == m_drawnSize && !m_mustDraw) ? 1 : 0;
    m_mustDraw = false;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render, params);
    if (!skip)
        m_drawnSize = size;
    if (newFrame)
        Q_EMIT frameRendered();
}

void RVMpvVideoWidget::onRenderUpdate(void* context)
{
    // Called on an mpv thread; the widget outlives the render context, so the pointer is good.
    QMetaObject::invokeMethod(static_cast<RVMpvVideoWidget*>(context),
                              &RVMpvVideoWidget::processRenderUpdate, Qt::QueuedConnection);
}

void RVMpvVideoWidget::processRenderUpdate()
{
    mpv_render_context* active = activeRender();
    if (!active)
        return;
    if (mpv_render_context_update(active) & MPV_RENDER_UPDATE_FRAME) {
        m_frameWaiting = true;
        update();
    }
    // The waiting handle's frame is taken without drawing (it is drawn when the handles change
    // places); otherwise its video output would wait for it to be shown.
    for (mpv_render_context* render : m_render) {
        if (render == active || !(mpv_render_context_update(render) & MPV_RENDER_UPDATE_FRAME))
            continue;
        makeCurrent();
        mpv_opengl_fbo fbo = framebuffer();
        int skip = 1;
        int blockForTargetTime = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(render, params);
        doneCurrent();
    }
}

void RVMpvVideoWidget::releaseRenderContext()
{
    if (!m_render[0] && !m_render[1])
        return;
    const bool haveContext = context() != nullptr;
    if (haveContext)
        makeCurrent();
    for (mpv_render_context*& render : m_render) {
        if (!render)
            continue;
        mpv_render_context_set_update_callback(render, nullptr, nullptr);
        mpv_render_context_free(render);
        render = nullptr;
    }
    m_drawnSize = {};
    if (haveContext)
        doneCurrent();
}
