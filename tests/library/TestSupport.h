#pragma once

#include "library/RVVideoData.h"
#include "library/RVVideoList.h"
#include "support/Support.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace testsupport {

// An instant given as "2015-01-01T10:00:00" in UTC.
RVTimestamp at(const char* isoUtc);

// A real, tiny recording of the given length made with ffmpeg (cached per length in the build
// tree) and copied to path.
void makeClip(const QString& path, int seconds);
using support::runFfmpeg;
using support::waitFor;
using support::writeFile;

// A recording record and its single-recording node, without touching the disk.
RVVideoFilePtr fileRecord(const QString& path, float seconds, const char* createdIsoUtc,
                          bool locked = false);
RVVideoDataPtr single(const QString& path, float seconds, const char* createdIsoUtc);

// A metadata source that answers from a table: path -> metadata; unknown paths give nothing.
// Counts the reads and may hold each read for a while to widen race windows.
class FakeMetaData final
{
public:
    void set(const QString& path, RVMetaData metaData);
    // Points at the given times (UTC, ISO); "" makes a point without time.
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

// A list over a card monitor without cards, idle; given a folder, after scanning it.
std::unique_ptr<RVVideoList> idleList(RVMetaDataSource source, const QString& folder = {});

QStringList fileNames(const RVVideoDataList& nodes);
QStringList names(const RVVideoDataList& nodes);

} // namespace testsupport
