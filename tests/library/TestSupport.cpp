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
        // Each test case runs in a process of its own, several at once: each writes its own
        // partial file, and the rename puts one whole clip in place.
        const QString partial =
            cache + QStringLiteral(".%1.part.mp4").arg(QCoreApplication::applicationPid());
        ASSERT_TRUE(
            runFfmpeg({"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x36:rate=10", "-t",
                       QString::number(seconds), "-c:v", "mpeg4", partial}));
        QFile::rename(partial, cache);
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(cache, path)) << path.toStdString();
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                               QFile::ReadOther);
}

RVVideoFilePtr fileRecord(const QString& path, float seconds, const char* createdIsoUtc,
                          bool locked)
{
    return std::make_shared<RVVideoFile>(path, seconds, at(createdIsoUtc), locked);
}

RVVideoDataPtr single(const QString& path, float seconds, const char* createdIsoUtc)
{
    return RVVideoList::wrapFilesWithVideoData({fileRecord(path, seconds, createdIsoUtc)}).front();
}

void FakeMetaData::set(const QString& path, RVMetaData metaData)
{
    m_state->table[path] = std::move(metaData);
}

RVMetaData FakeMetaData::track(std::initializer_list<const char*> times, QStringList relatedFiles)
{
    RVMetaData meta;
    double speed = 10;
    for (const char* time : times) {
        const RVTimestamp when = *time ? at(time) : RVTimestamp();
        meta.points.emplace_back("55.750000", "37.610000", 120.0, 90.0, speed, when);
        meta.velocityData.push_back(speed);
        meta.gSensorData.emplace_back(0.1, 0.2, 0.3, 0.5, RVSensorLabel::instant(when));
        speed += 1;
    }
    meta.relatedFiles = std::move(relatedFiles);
    return meta;
}

RVMetaDataSource FakeMetaData::source(int delayMs)
{
    return [state = m_state, delayMs](const QString& path) -> std::optional<RVMetaData> {
        ++state->reads;
        if (delayMs > 0)
            QThread::msleep(ulong(delayMs));
        const auto found = state->table.find(path);
        if (found == state->table.end())
            return std::nullopt;
        return found->second;
    };
}

std::unique_ptr<RVVideoList> idleList(RVMetaDataSource source, const QString& folder)
{
    auto list =
        std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(), std::move(source));
    list->waitForIdle(); // the first card check; it would rebuild and rescan otherwise
    if (!folder.isEmpty()) {
        list->addVideoFilesFrom(folder);
        list->waitForIdle();
    }
    return list;
}

QStringList fileNames(const RVVideoDataList& nodes)
{
    QStringList result;
    for (const RVVideoDataPtr& node : nodes) {
        QStringList files;
        for (const RVVideoFilePtr& file : node->files())
            files.append(file->fileName());
        result.append(files.join(QLatin1Char('+')));
    }
    return result;
}

QStringList names(const RVVideoDataList& nodes)
{
    QStringList result;
    for (const RVVideoDataPtr& node : nodes)
        result.append(node->name());
    return result;
}

} // namespace testsupport
