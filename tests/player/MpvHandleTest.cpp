// The mpv handle layer on a real mpv: every answer reaches the callback of its own request,
// once, with its value or its error. (The player's tests load, seek and join through it.)

#include "ClipFactory.h"

#include "player/video/RVMpvHandle.h"

#include <QTest>
#include <gtest/gtest.h>

#include <mpv/client.h>

#include <map>
#include <tuple>

TEST(MpvHandle, EachAnswerGoesToItsOwnCallbackOnce)
{
    QString error;
    const auto mpv = RVMpvHandle::create(
        {{"vo", "null"}, {"ao", "null"}, {"idle", "yes"}, {"config", "no"}}, error);
    ASSERT_TRUE(mpv) << error.toStdString();
    // A reply's value lives only while its callback runs: error, number and flag are kept then.
    using Answers = std::vector<std::tuple<int, double, bool>>;
    std::map<std::string, Answers> answers;
    const auto keep = [&](const char* name) {
        return [&answers, name](const RVMpvHandle::Reply& r) {
            answers[name].emplace_back(r.error, r.number(), r.flag());
        };
    };
    mpv->command({"no-such-command"}, keep("refused"));
    mpv->command({"seek", "abc", "absolute"}, keep("refused"));
    mpv->setDouble("speed", 2.5);
    mpv->getProperty("speed", MPV_FORMAT_DOUBLE, keep("speed"));
    mpv->setFlag("mute", true);
    mpv->getProperty("mute", MPV_FORMAT_FLAG, keep("mute"));
    mpv->command({"playlist-remove", "99"}, keep("failing"));
    const auto drain = [&] {
        while (mpv->handleNextEvent([](const mpv_event&) {}))
            ;
        return answers.size() >= 3;
    };
    ASSERT_TRUE(ClipFactory::waitFor(drain));
    QTest::qWait(200);
    drain();

    // A request mpv refuses at once is never answered; every other one once, in order (the
    // speed read after it was set), and a flag is no number.
    EXPECT_FALSE(answers.count("refused"));
    EXPECT_EQ(answers["speed"], (Answers{{0, 2.5, false}}));
    EXPECT_EQ(answers["mute"], (Answers{{0, 0.0, true}}));
    // Failed when run, not when asked.
    ASSERT_EQ(answers["failing"].size(), 1u);
    EXPECT_LT(std::get<0>(answers["failing"][0]), 0);
}
