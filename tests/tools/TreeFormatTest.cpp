// korvela-export --format tree on the demo card: the trips the card was written with, their
// durations and dates, and the lock flags read from the files.
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

namespace {

QJsonArray treeOf(const QStringList& paths, ProcessResult* result = nullptr)
{
    QStringList arguments{"--format", "tree"};
    arguments += paths;
    const ProcessResult run = runExportTool(arguments);
    if (result)
        *result = run;
    return QJsonDocument::fromJson(run.out).array();
}

} // namespace

TEST(TreeFormat, GroupsTheDemoCardIntoItsTrips)
{
    const QString card = demoCardPath();
    if (card.isEmpty())
        GTEST_SKIP() << demoCardError().toStdString();

    ProcessResult run;
    const QJsonArray tree = treeOf({card}, &run);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(
        QString::fromUtf8(run.err).contains(QRegularExpression("read (\\d+) of \\1 recordings\n")))
        << run.err.toStdString();

    // The manifest's trips, in order of their first recording's start.
    std::map<int, QStringList> trips;
    std::map<int, double> tripSeconds;
    std::map<int, QString> tripStart;
    for (const QJsonValue& value : demoCardRecordings()) {
        const QJsonObject recording = value.toObject();
        const int trip = recording["trip"].toInt();
        trips[trip].append(QDir(card).filePath(recording["video"].toString()));
        tripSeconds[trip] += recording["durationSeconds"].toDouble();
        if (!tripStart.contains(trip))
            tripStart[trip] = recording["firstPointTime"].toString();
    }
    ASSERT_EQ(tree.size(), qsizetype(trips.size()));
    // The card holds lone recordings as well as trips.
    const auto lone = std::count_if(trips.begin(), trips.end(),
                                    [](const auto& trip) { return trip.second.size() == 1; });
    EXPECT_GE(lone, 1);
    EXPECT_GE(qsizetype(trips.size()) - lone, 4);
    int index = 0;
    for (const auto& [trip, videos] : trips) {
        const QJsonObject node = tree[index++].toObject();
        QStringList files;
        for (const QJsonValue& file : node["files"].toArray())
            files.append(file.toString());
        EXPECT_EQ(files, videos) << "trip " << trip;
        EXPECT_NEAR(node["duration"].toDouble(), tripSeconds[trip], 0.1) << "trip " << trip;
        EXPECT_EQ(node["created"].toString(), tripStart[trip]) << "trip " << trip;
        EXPECT_EQ(node["locked"].toArray().size(), videos.size());
        EXPECT_EQ(node["children"].toArray().size(), videos.size() > 1 ? videos.size() : 0);
    }
}

TEST(TreeFormat, ReportsMissingPathsAndReadsLockFlags)
{
    const QString card = demoCardPath();
    if (card.isEmpty())
        GTEST_SKIP() << demoCardError().toStdString();
    // A single recording, copied and locked (no write permission).
    QTemporaryDir dir;
    const QJsonObject first = demoCardRecordings().first().toObject();
    const QString copy = dir.path() + "/LOCKED.MOV";
    ASSERT_TRUE(QFile::copy(QDir(card).filePath(first["video"].toString()), copy));
    ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), 0444), 0);

    ProcessResult run;
    const QJsonArray tree = treeOf({dir.path() + "/missing", copy}, &run);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("missing: No such file or directory")) << run.err.toStdString();
    ASSERT_EQ(tree.size(), 1);
    const QJsonObject node = tree[0].toObject();
    EXPECT_EQ(node["name"].toString(), "LOCKED.MOV");
    EXPECT_EQ(node["locked"].toArray(), QJsonArray{true});
    EXPECT_TRUE(node["children"].toArray().isEmpty());
    EXPECT_GT(node["duration"].toDouble(), 1.0);

    // Nothing at all is an empty array.
    EXPECT_TRUE(treeOf({dir.path() + "/missing"}).isEmpty());
}
