#pragma once

#include "library/RVAVUtil.h"
#include "library/RVWorkerPool.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>

// Turns the stream of hover requests over the time slider into thumbnails without queueing
// them up. One thumbnail is made at a time, on the provider's own worker thread; while it is
// being made, a new request only replaces the one waiting (a single pending slot), so requests
// for 1, 2, 3 and 4 s arriving while the one for 1 s is made give thumbnails for 1 and 4 s
// only, and the popover never lags behind the pointer with a backlog.
//
// The pointer crosses the same second of a recording many times while it hovers, so the
// latest thumbnails are kept (about 43 KB each) and given again at once. A recording that
// changes on disk (size or modification time) is decoded afresh.
//
// Threads: buildThumbnailForFile() may be called from any thread and never waits for a
// thumbnail. The completion handler runs on the worker thread. The destructor waits for the
// thumbnail being made and drops the pending request.
class RVThumbnailsProvider final
{
public:
    // Receives every finished thumbnail (RVAVUtil's size), or a null image when the file has
    // no frame to show; called on the worker thread.
    using CompletionHandler = std::function<void(const QImage& image)>;

    // Keeps up to `cacheSize` thumbnails; 0 keeps none.
    explicit RVThumbnailsProvider(std::size_t cacheSize = 120);
    ~RVThumbnailsProvider();
    RVThumbnailsProvider(const RVThumbnailsProvider&) = delete;
    RVThumbnailsProvider& operator=(const RVThumbnailsProvider&) = delete;

    CompletionHandler completionHandler() const;
    void setCompletionHandler(CompletionHandler handler);

    // Asks for the frame at `seconds` (in the file) of the recording at `filePath`. Starts
    // the worker when it is idle, otherwise becomes the pending request in place of any
    // request still waiting.
    void buildThumbnailForFile(const QString& filePath, double seconds);

    // Requests answered from the kept thumbnails so far (diagnostics and tests).
    std::size_t cacheHits() const;
    // Waits until the worker is idle (tests and benchmarks). Not from the completion handler.
    void waitForDone();

    // The image of a decoded picture, sharing nothing with it.
    static QImage imageFromRgb(const RVRgbImage& picture);

private:
    struct Request
    {
        QString filePath;
        double time = 0; // seconds in the file
    };

    // A thumbnail kept: the recording as it was on disk, and the whole second shown.
    struct CacheEntry
    {
        QString filePath;
        qint64 fileSize = 0;
        qint64 modifiedMs = 0;
        std::int64_t second = 0;
        QImage image;

        bool sameAs(const CacheEntry& other) const;
    };

    void work(Request request);
    QImage thumbnailFor(const Request& request);

    mutable std::mutex m_mutex;    // guards the fields below; never held while a frame is made
    std::optional<Request> m_next; // the pending slot
    std::optional<QString> m_computingFilePath;
    CompletionHandler m_completionHandler;
    bool m_stopping = false;
    const std::size_t m_cacheSize;
    std::list<CacheEntry> m_cache; // most recently used first
    std::size_t m_cacheHits = 0;
    RVWorkerPool m_pool{1}; // declared last: joined first
};
