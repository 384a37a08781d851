// The mpv handle layer on a real mpv: every answer reaches the callback of its own request,
// once, with its value or its error, and the other events reach the owner.

#include "ClipFactory.h"

#include "metadata/RVNativePath.h"
#include "player/RVMpvHandle.h"

#include <gtest/gtest.h>

#include <mpv/client.h>

#include <QString>

#include <map>
#include <string>
#include <vector>

TEST(MpvHandle, EachAnswerGoesToItsOwnCallbackOnce)
{
    QString error;
    const auto mpv = RVMpvHandle::create(
        {{"vo", "null"}, {"ao", "null"}, {"idle", "yes"}, {"keep-open", "yes"}, {"config", "no"}},
        error);
    ASSERT_TRUE(mpv) << error.toStdString();

    // A reply's value lives only as long as its callback runs: what is checked is kept then.
    struct Answer
    {
        int error;
        double number;
        bool flag;
    };
    std::map<std::string, std::vector<Answer>> answers;
    const auto answer = [](const RVMpvHandle::Reply& reply) {
        return Answer{reply.error, reply.number(), reply.flag()};
    };
    auto keep = [&](const char* name) {
        return [&answers, answer, name](const RVMpvHandle::Reply& reply) {
            answers[name].push_back(answer(reply));
        };
    };
    std::vector<mpv_event_id> events;
    std::int64_t entryId = -1;
    mpv->command({"loadfile", RVNativePath::encode(ClipFactory::tripClip(1)), "replace"},
                 [&](const RVMpvHandle::Reply& reply) {
                     answers["loadfile"].push_back(answer(reply));
                     const mpv_node* node = reply.node();
                     if (node && node->format == MPV_FORMAT_NODE_MAP && node->u.list->num > 0)
                         entryId = node->u.list->values[0].u.int64;
                 });
    mpv->command({"no-such-command"}, keep("refused"));
    mpv->command({"seek", "abc", "absolute"}, keep("refused"));
    mpv->getProperty("no-such-property", MPV_FORMAT_DOUBLE, keep("missing"));
    mpv->setDouble("speed", 2.5, keep("set speed"));
    mpv->getProperty("speed", MPV_FORMAT_DOUBLE, keep("speed"));
    mpv->setFlag("mute", true);
    mpv->getProperty("mute", MPV_FORMAT_FLAG, keep("mute"));
    mpv->command({"playlist-remove", "99"}, keep("failing"));

    const auto loaded = [&] {
        return std::count(events.begin(), events.end(), MPV_EVENT_FILE_LOADED) > 0;
    };
    ASSERT_TRUE(ClipFactory::waitFor(
        [&] {
            while (mpv->handleNextEvent([&](const mpv_event& e) { events.push_back(e.event_id); }))
                ;
            return loaded() && answers.size() >= 6;
        },
        10000));
    ClipFactory::spin(200);
    while (mpv->handleNextEvent([&](const mpv_event& e) { events.push_back(e.event_id); }))
        ;

    // A request mpv refuses at once is never answered; every other one exactly once.
    EXPECT_FALSE(answers.count("refused"));
    for (const char* name : {"loadfile", "missing", "set speed", "speed", "mute", "failing"})
        EXPECT_EQ(answers[name].size(), 1u) << name;
    EXPECT_GE(answers["loadfile"].front().error, 0);
    EXPECT_GT(entryId, 0);
    EXPECT_LT(answers["missing"].front().error, 0);
    EXPECT_EQ(answers["missing"].front().number, 0.0);
    EXPECT_GE(answers["set speed"].front().error, 0);
    EXPECT_EQ(answers["speed"].front().number, 2.5); // requests are answered in order
    EXPECT_TRUE(answers["mute"].front().flag);
    EXPECT_EQ(answers["mute"].front().number, 0.0); // not a number
    EXPECT_LT(answers["failing"].front().error, 0); // failed when run, not when asked
    EXPECT_TRUE(std::count(events.begin(), events.end(), MPV_EVENT_START_FILE) == 1);
}
