#include "TestSupport.h"

#include "library/RVVolumeMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace testsupport {

RVTimestamp at(const char* isoUtc)
{
    QDateTime time = QDateTime::fromString(QString::fromLatin1(isoUtc), Qt::ISODateWithMs);
    time.setTimeSpec(Qt::UTC);
    return RVTimestamp::fromDateTime(time);
}

void makeClip(const QString& path, int seconds)
{
    const QString cache =
        QStringLiteral(KORVELA_BINARY_DIR "/test-clips/clip-%1s.mp4").arg(seconds);
    if (!QFileInfo::exists(cache)) {
        QDir().mkpath(QFileInfo(cache).path());
        // Test cases run in parallel processes: each writes its own file and renames it.
        const QString part =
            cache + QStringLiteral(".%1.mp4").arg(QCoreApplication::applicationPid());
        ASSERT_TRUE(
            runFfmpeg({"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t",
                       QString::number(seconds), "-c:v", "mpeg4", part}));
        QFile::rename(part, cache);
    }
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(QFile::copy(cache, path)) << path.toStdString();
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                               QFile::ReadOther);
}

RVVideoDataPtr single(const QString& path, float seconds, const char* createdIsoUtc)
{
    auto file = std::make_shared<RVVideoFile>(path, seconds, at(createdIsoUtc), false);
    return RVVideoList::wrapFilesWithVideoData({file}).front();
}

RVMetaData FakeMetaData::track(std::initializer_list<const char*> times, QStringList relatedFiles)
{
    RVMetaData meta;
    double speed = 10;
    for (const char* time : times) {
        const RVTimestamp when = *time ? at(time) : RVTimestamp();
        meta.points.emplace_back("55.750000", "37.610000", 120.0, 90.0, speed, when);
        meta.velocityData.push_back(speed++);
        meta.gSensorData.emplace_back(0.1, 0.2, 0.3, 0.5, RVSensorLabel::instant(when));
    }
    meta.relatedFiles = std::move(relatedFiles);
    return meta;
}

RVMetaDataSource FakeMetaData::source(int delayMs)
{
    return [state = m_state, delayMs](const QString& path) -> std::optional<RVMetaData> {
        ++state->reads;
        QThread::msleep(ulong(delayMs));
        const auto found = state->table.find(path);
        return found == state->table.end() ? std::nullopt : std::optional(found->second);
    };
}

std::unique_ptr<RVVideoList> idleList(RVMetaDataSource source, const QString& folder)
{
    auto list =
        std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), std::move(source));
    list->waitForIdle(); // the first card check, which would rebuild and rescan otherwise
    if (!folder.isEmpty()) {
        list->addVideoFilesFrom(folder);
        list->waitForIdle();
    }
    return list;
}

QStringList names(const RVVideoDataList& nodes, bool files)
{
    QStringList result;
    for (const RVVideoDataPtr& node : nodes) {
        QStringList fileNames;
        for (const RVVideoFilePtr& file : node->files())
            fileNames.append(file->fileName());
        result.append(files ? fileNames.join(QLatin1Char('+')) : node->name());
    }
    return result;
}

} // namespace testsupport
