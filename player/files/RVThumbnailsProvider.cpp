#include "player/files/RVThumbnailsProvider.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstring>

RVThumbnailsProvider::RVThumbnailsProvider(std::size_t cacheSize) : m_cacheSize(cacheSize) {}

RVThumbnailsProvider::~RVThumbnailsProvider()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_next.reset();
    }
    m_pool.waitForDone();
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

void RVThumbnailsProvider::waitForDone()
{
    m_pool.waitForDone();
}

void RVThumbnailsProvider::work(Request request)
{
    for (;;) {
        const QImage image = thumbnailFor(request);
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

bool RVThumbnailsProvider::CacheEntry::sameAs(const CacheEntry& other) const
{
    return second == other.second && fileSize == other.fileSize && modifiedMs == other.modifiedMs &&
           filePath == other.filePath;
}

QImage RVThumbnailsProvider::thumbnailFor(const Request& request)
{
    const QFileInfo file(request.filePath);
    CacheEntry key;
    key.filePath = request.filePath;
    key.second = RVAVUtil::thumbnailSecond(request.time);
    // A file that cannot be looked at is not kept; the grab below reports it.
    const bool cacheable = m_cacheSize > 0 && file.isFile();
    if (cacheable) {
        key.fileSize = file.size();
        key.modifiedMs = file.lastModified().toMSecsSinceEpoch();
        std::lock_guard lock(m_mutex);
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            if (it->sameAs(key)) {
                m_cache.splice(m_cache.begin(), m_cache, it);
                ++m_cacheHits;
                return m_cache.front().image;
            }
        }
    }
    const std::optional<RVRgbImage> picture =
        RVAVUtil::getThumbnailOfFile(request.filePath, request.time);
    QImage image = picture ? imageFromRgb(*picture) : QImage();
    // Failures are not kept: a recording still being copied may decode in a moment.
    if (cacheable && !image.isNull()) {
        key.image = image;
        std::lock_guard lock(m_mutex);
        m_cache.push_front(std::move(key));
        if (m_cache.size() > m_cacheSize)
            m_cache.pop_back();
    }
    return image;
}

std::size_t RVThumbnailsProvider::cacheHits() const
{
    std::lock_guard lock(m_mutex);
    return m_cacheHits;
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
