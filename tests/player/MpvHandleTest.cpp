// The mpv handle layer on a real mpv: every answer reaches the callback of its own request,
// once, with its value or its error, and the other events reach the owner.

#include "ClipFactory.h"

#include "metadata/RVNativePath.h"
#include "player/RVMpvHandle.h"

#include <gtest/gtest.h>

#include <mpv/client.h>

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

    // A reply's value lives only while its callback runs: what is checked is kept then.
    struct Answer
    {
        int error;
        double number;
        bool flag;
        std::int64_t entryId;
    };
    std::map<std::string, std::vector<Answer>> answers;
    auto keep = [&](const char* name) {
        return [&answers, name](const RVMpvHandle::Reply& reply) {
            const mpv_node* node = reply.node();
            const bool map = node && node->format == MPV_FORMAT_NODE_MAP && node->u.list->num;
            answers[name].push_back({reply.error, reply.number(), reply.flag(),
                                     map ? node->u.list->values[0].u.int64 : -1});
        };
    };
    mpv->command({"loadfile", RVNativePath::encode(ClipFactory::tripClip(1)), "replace"},
                 keep("loadfile"));
    mpv->command({"no-such-command"}, keep("refused"));
    mpv->command({"seek", "abc", "absolute"}, keep("refused"));
    mpv->getProperty("no-such-property", MPV_FORMAT_DOUBLE, keep("missing"));
    mpv->setDouble("speed", 2.5, keep("set speed"));
    mpv->getProperty("speed", MPV_FORMAT_DOUBLE, keep("speed"));
    mpv->setFlag("mute", true);
    mpv->getProperty("mute", MPV_FORMAT_FLAG, keep("mute"));
    mpv->command({"playlist-remove", "99"}, keep("failing"));

    std::vector<mpv_event_id> events;
    const auto drain = [&] {
        while (mpv->handleNextEvent([&](const mpv_event& e) { events.push_back(e.event_id); }))
            ;
        return std::count(events.begin(), events.end(), MPV_EVENT_FILE_LOADED) > 0 &&
               answers.size() >= 6;
    };
    ASSERT_TRUE(ClipFactory::waitFor(drain));
    ClipFactory::spin(200);
    drain();

    // A request mpv refuses at once is never answered; every other one exactly once.
    EXPECT_FALSE(answers.count("refused"));
    for (const char* name : {"loadfile", "missing", "set speed", "speed", "mute", "failing"})
        ASSERT_EQ(answers[name].size(), 1u) << name;
    EXPECT_GE(answers["loadfile"][0].error, 0);
    EXPECT_GT(answers["loadfile"][0].entryId, 0);
    EXPECT_LT(answers["missing"][0].error, 0);
    EXPECT_EQ(answers["missing"][0].number, 0.0);
    EXPECT_GE(answers["set speed"][0].error, 0);
    EXPECT_EQ(answers["speed"][0].number, 2.5); // requests are answered in order
    EXPECT_TRUE(answers["mute"][0].flag);
    EXPECT_EQ(answers["mute"][0].number, 0.0); // not a number
    EXPECT_LT(answers["failing"][0].error, 0); // failed when run, not when asked
    EXPECT_EQ(std::count(events.begin(), events.end(), MPV_EVENT_START_FILE), 1);
}
