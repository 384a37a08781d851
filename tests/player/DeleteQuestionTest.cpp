// The question before a delete names what goes, in the words the user reads.

#include "export/RVLanguageUtil.h"
#include "library/RVVideoData.h"
#include "player/window/RVDeleteQuestion.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

RVVideoDataPtr recording(const QString& name, std::vector<RVChannel> channels, bool locked,
                         std::optional<QStringList> related)
{
    std::vector<RVVideoView> views;
    for (const RVChannel channel : channels)
        views.push_back({channel, "/card/" + name + channelName(channel) + ".mp4"});
    auto file = std::make_shared<RVVideoFile>(views, 60.0f, RVTimestamp(), locked);
    RVVideoDataPtr node = RVVideoData::create(name, 60.0f, RVTimestamp(), {file}, {});
    node->setRelatedFiles(std::move(related));
    return node;
}

RVVideoDataPtr trip(const RVVideoDataList& children)
{
    RVVideoFileList files;
    for (const RVVideoDataPtr& child : children)
        files.push_back(child->files().front());
    return RVVideoData::create("Trip", 180.0f, RVTimestamp(), files, children);
}

} // namespace

TEST(DeleteQuestion, NamesTheRecordingsViewsAndDataFilesThatGo)
{
    QTranslator english;
    ASSERT_TRUE(RVLanguageUtil::loadTranslation(english, QStringLiteral("en")));
    QCoreApplication::installTranslator(&english);
    const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&english); });
    using C = RVChannel;
    const QStringList gps{"/card/gps/a.log"}, shared{"/card/gps/a.log", "/card/gps/b.gsn"};
    const std::pair<RVVideoDataPtr, QString> cases[] = {
        {recording("One", {C::Front}, false, QStringList()),
         "These files of \"One\" will be deleted from the disk:\nRecordings: 1\n"
         "Video files: 1 (camera views: Front)\nData files (track, sensors): 0"},
        // A data file two recordings share counts once; a rear view is a file of its own.
        {trip({recording("A", {C::Front, C::Rear}, false, gps),
               recording("B", {C::Front, C::Rear}, false, shared),
               recording("C", {C::Front, C::Interior}, false, gps)}),
         "These files of \"Trip\" will be deleted from the disk:\nRecordings: 3\n"
         "Video files: 6 (camera views: Front, Rear, Interior)\nData files (track, sensors): 2"},
        // Locked recordings stay and are counted apart; one not read yet may have more.
        {trip({recording("A", {C::Front}, true, gps), recording("B", {C::Rear}, false, {}),
               recording("C", {C::Front}, false, gps)}),
         "These files of \"Trip\" will be deleted from the disk:\nRecordings: 2\n"
         "Video files: 2 (camera views: Front, Rear)\n"
         "Data files: 1 named so far, and any other found beside the recordings\n"
         "Locked recordings stay on the disk: 1"},
    };
    for (const auto& [node, expected] : cases)
        EXPECT_EQ(RVDeleteQuestion::text(*node).toStdString(), expected.toStdString());
}
