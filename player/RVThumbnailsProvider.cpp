#include "player/RVThumbnailsProvider.h"

#include <cstring>

#include <pthread.h>

RVThumbnailsProvider::RVThumbnailsProvider()
{
    // As in RVWorkerPool: tell ThreadSanitizer this is a new lock, not one of an earlier
    // provider that lived at the same address.
    pthread_mutex_init(m_mutex.native_handle(), nullptr);
}

RVThumbnailsProvider::~RVThumbnailsProvider()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_next.reset();
    }
    m_pool.waitForDone();
    pthread_mutex_destroy(m_mutex.native_handle());
}

RVThumbnailsProvider::CompletionHandler RVThumbnailsProvider::completionHandler() const
{
    std::lock_guard lock(m_mutex);
    return m_completionHandler;
}

void RVThumbnailsProvider::setCompletionHandler(CompletionHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_completionHandler = std::move(handler);
}

void RVThumbnailsProvider::buildThumbnailForFile(const QString& filePath, double seconds)
{
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    if (m_computingFilePath) {
        // The running worker takes it when its thumbnail is done.
        m_next = Request{filePath, seconds};
        return;
    }
    // Idle: this request starts the worker directly, so it is made even when more requests
    // arrive before the worker thread gets going.
    m_computingFilePath = filePath;
    m_pool.start([this, request = Request{filePath, seconds}] { work(request); });
}

std::optional<QString> RVThumbnailsProvider::computingFilePath() const
{
    std::lock_guard lock(m_mutex);
    return m_computingFilePath;
}

void RVThumbnailsProvider::waitForDone()
{
    m_pool.waitForDone();
}

void RVThumbnailsProvider::work(Request request)
{
    for (;;) {
        const std::optional<RVRgbImage> picture =
            RVAVUtil::getThumbnailOfFile(request.filePath, request.time);
        const QImage image = picture ? imageFromRgb(*picture) : QImage();
        CompletionHandler handler = completionHandler();
        if (handler)
            handler(image);
        // Taking the pending request and giving up the worker role happen under one lock, so
        // a request stored while this thumbnail was made is never left waiting.
        std::lock_guard lock(m_mutex);
        if (!m_next || m_stopping) {
            m_computingFilePath.reset();
            return;
        }
        request = std::move(*m_next);
        m_next.reset();
    }
}

QImage RVThumbnailsProvider::imageFromRgb(const RVRgbImage& picture)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() < std::size_t(picture.width) * std::size_t(picture.height) * 3)
        return {};
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    const std::size_t rowBytes = std::size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.rgb.data() + std::size_t(y) * rowBytes, rowBytes);
    return image;
}
