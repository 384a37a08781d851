#pragma once

#include "library/RVVideoData.h"
#include "library/RVVideoList.h"
#include "support/Support.h"

#include <QStringList>

#include <atomic>
#include <map>
#include <memory>

namespace testsupport {

using support::runFfmpeg;
using support::waitFor;
using support::writeFile;

// An instant given as "2015-01-01T10:00:00" in UTC.
RVTimestamp at(const char* isoUtc);
// A real recording of the given length (made with ffmpeg once per length) copied to path.
void makeClip(const QString& path, int seconds);
// A single-recording node, without touching the disk.
RVVideoDataPtr single(const QString& path, float seconds, const char* createdIsoUtc);

// Metadata from a table (path -> metadata; unknown paths give none). Counts the reads and may
// hold each one for a while to widen race windows.
class FakeMetaData final
{
public:
    void set(const QString& path, RVMetaData metaData) { m_state->table[path] = metaData; }
    // Points at the given times (UTC); "" makes a point without time.
    static RVMetaData track(std::initializer_list<const char*> times,
                            QStringList relatedFiles = {});
    RVMetaDataSource source(int delayMs = 0);
    int reads() const { return m_state->reads.load(); }

private:
    struct State
    {
        std::map<QString, RVMetaData> table;
        std::atomic<int> reads{0};
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// A list without cards, idle; given a folder, after scanning it.
std::unique_ptr<RVVideoList> idleList(RVMetaDataSource source, const QString& folder = {});
// Per node its name, or with files = true its file names joined by "+".
QStringList names(const RVVideoDataList& nodes, bool files = false);

} // namespace testsupport
