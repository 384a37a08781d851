#include "player/RVMpvVideoWidget.h"

#include "player/RVMpvPlayer.h"

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

RVMpvVideoWidget::RVMpvVideoWidget(RVMpvPlayer* player, QWidget* parent)
    : QOpenGLWidget(parent), m_player(player)
{
    // Keep the framebuffer's content between paints, so that a repeated frame need not be
    // drawn again (see paintGL).
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    if (player)
        player->attachVideoWidget(this);
}

RVMpvVideoWidget::~RVMpvVideoWidget()
{
    // QOpenGLWidget's destructor destroys the GL context; by then this part of the object is
    // gone, so the context must not call back into it.
    QObject::disconnect(m_contextConnection);
    releaseRenderContext();
}

void RVMpvVideoWidget::initializeGL()
{
    QObject::disconnect(m_contextConnection);
    m_contextConnection = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
                                  &RVMpvVideoWidget::releaseRenderContext, Qt::DirectConnection);
    if (m_render || !m_player || !m_player->handle())
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
    const int result = mpv_render_context_create(&m_render, m_player->handle(), params);
    if (result < 0) {
        qWarning("mpv render context could not be created: %s", mpv_error_string(result));
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &RVMpvVideoWidget::onRenderUpdate, this);
}

void RVMpvVideoWidget::paintGL()
{
    if (!m_render) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
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
        if (mpv_render_context_get_info(m_render, infoParam) >= 0) {
            redraw = info.flags & MPV_RENDER_FRAME_INFO_REDRAW;
            newFrame = (info.flags & MPV_RENDER_FRAME_INFO_PRESENT) && !redraw;
        }
    }
    const QSize size(fbo.w, fbo.h);
    int skip = (redraw && size == m_drawnSize) ? 1 : 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
    if (!skip)
        m_drawnSize = size;
    if (newFrame) {
        ++m_renderedFrames;
        Q_EMIT frameRendered();
    }
}

void RVMpvVideoWidget::onRenderUpdate(void* context)
{
    // Called on an mpv thread; the widget outlives the render context, so the pointer is good.
    QMetaObject::invokeMethod(static_cast<RVMpvVideoWidget*>(context),
                              &RVMpvVideoWidget::processRenderUpdate, Qt::QueuedConnection);
}

void RVMpvVideoWidget::processRenderUpdate()
{
    if (!m_render)
        return;
    if (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) {
        m_frameWaiting = true;
        update();
    }
}

void RVMpvVideoWidget::releaseRenderContext()
{
    if (!m_render)
        return;
    const bool haveContext = context() != nullptr;
    if (haveContext)
        makeCurrent();
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
    m_drawnSize = {};
    if (haveContext)
        doneCurrent();
}
