#pragma once

// What the library's tests share: instants, real clips, nodes and a metadata table.
#include "library/RVFileSystemUtil.h"
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "support/Support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <map>

using FS = RVFileSystemUtil;
using support::runFfmpeg;
using support::waitFor;
using support::writeFile;

// An instant given as "2015-01-01T10:00:00" in UTC.
inline RVTimestamp at(const QByteArray& isoUtc)
{
    return RVTimestamp::fromDateTime(
        QDateTime::fromString(QString::fromLatin1(isoUtc + "Z"), Qt::ISODateWithMs));
}

// A real recording of the given length (made with ffmpeg once per length) copied to path.
inline void makeClip(const QString& path, int seconds)
{
    const QString cache =
        QStringLiteral(KORVELA_BINARY_DIR "/test-clips/clip-%1s.mp4").arg(seconds);
    if (!QFile::exists(cache)) {
        // Test cases run in parallel processes: each writes a file of its own and renames it.
        const QString part = cache + QString::number(QCoreApplication::applicationPid()) + ".mp4";
        QDir().mkpath(QFileInfo(cache).path());
        ASSERT_TRUE(runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t",
                               QString::number(seconds), "-c:v", "mpeg4", part}));
        QFile::rename(part, cache);
    }
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()) && QFile::copy(cache, path))
        << path.toStdString();
}

// A single-recording node, without touching the disk.
inline RVVideoDataPtr single(const QString& path, float seconds, const QByteArray& createdIsoUtc)
{
    return RVVideoList::wrapFilesWithVideoData(
        {std::make_shared<RVVideoFile>(path, seconds, at(createdIsoUtc), false)})[0];
}

// Metadata from a table (path -> metadata; unknown paths give none). Counts the reads and may
// hold each one for a while to widen race windows.
struct FakeMetaData
{
    std::shared_ptr<std::map<QString, RVMetaData>> table{new std::map<QString, RVMetaData>};
    std::shared_ptr<std::atomic<int>> reads{new std::atomic<int>(0)};

    RVMetaDataSource source(int delayMs = 0) const
    {
        return [*this, delayMs](const QString& path) -> std::optional<RVMetaData> {
            ++*reads;
            QThread::msleep(ulong(delayMs));
            const auto found = table->find(path);
            return found == table->end() ? std::nullopt : std::optional(found->second);
        };
    }
    // Points at the given times of 2015-01-01 ("10:00:00", UTC); "" makes a point without time.
    void set(const QString& path, const QStringList& times, QStringList related = {})
    {
        RVMetaData& meta = (*table)[path];
        for (const QString& time : times) {
            const RVTimestamp when =
                time.isEmpty() ? RVTimestamp() : at(("2015-01-01T" + time).toLatin1());
            meta.points.emplace_back("55.750000", "37.610000", 120.0, 90.0, 10.0, when);
            meta.velocityData.push_back(10.0);
            meta.gSensorData.emplace_back(0.1, 0.2, 0.3, 0.5, RVSensorLabel::instant(when));
        }
        meta.relatedFiles = std::move(related);
    }
};

// A list without cards, idle; given a folder, after scanning it.
inline std::unique_ptr<RVVideoList> idleList(RVMetaDataSource source, const QString& folder = {})
{
    auto list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), source);
    list->waitForIdle(); // the first card check, which would rebuild and rescan otherwise
    if (!folder.isEmpty())
        list->addVideoFilesFrom(folder);
    list->waitForIdle();
    return list;
}

// Per node its name, or with files = true its file names joined by "+".
inline QStringList names(const RVVideoDataList& nodes, bool files = false)
{
    QStringList result;
    for (const RVVideoDataPtr& node : nodes) {
        QStringList fileNames;
        for (const RVVideoFilePtr& file : node->files())
            fileNames.append(file->fileName());
        result.append(files ? fileNames.join('+') : node->name());
    }
    return result;
}

// The recording (a single one or a trip's child) whose first file is at path; none if absent.
inline RVVideoDataPtr recordingAt(const RVVideoDataList& nodes, const QString& path)
{
    for (const RVVideoDataPtr& top : nodes)
        for (const RVVideoDataPtr& leaf :
             top->children().empty() ? RVVideoDataList{top} : top->children())
            if (leaf->files().front()->filePath() == path)
                return leaf;
    return nullptr;
}
