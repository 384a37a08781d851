// Events found in the series: felt accelerations told apart by the speed, impacts, over-speed,
// the camera's own marks; on hand-made series, real BlackVue logs and the demo card.
#include "RealData.h"
#include "TestSupport.h"

#include "library/RVEventDetector.h"
#include "metadata/RVGpsProcessor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cmath>
#include <functional>

namespace {

struct Axes
{
    double x = 0, y = 0, z = 0;
};

// A 10 Hz recording of `seconds`, its samples and speeds given per moment (speed NaN: none).
struct Drive
{
    std::vector<RVPoint> points;
    std::vector<RVSensorData> samples;
    std::vector<double> speeds;
    double seconds = 0;

    Drive(double length, const std::function<Axes(double)>& felt,
          const std::function<double(double)>& kmh)
        : seconds(length)
    {
        for (int i = 0; i < int(length * 10); ++i) {
            const double t = i / 10.0;
            const Axes a = felt(t);
            samples.emplace_back(a.x, a.y, a.z, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z),
                                 RVSensorLabel());
            const double v = kmh(t);
            if (!std::isnan(v)) {
                points.emplace_back("60.100000", "24.900000", 0, 0, v,
                                    RVTimestamp::fromMSecsSinceEpoch(1'700'000'000'000 + i * 100));
                speeds.push_back(v);
            }
        }
    }

    std::vector<RVEvent> events(RVEventThresholds thresholds = RVEventThresholds::defaults(),
                                const QString& video = "/card/FILE0001.MOV") const
    {
        return RVEventDetector(thresholds)
            .detect({&points, &samples, &speeds, seconds, RVTimestamp(), video});
    }
};

bool during(double t, double from, double to)
{
    return t >= from && t < to;
}

// Felt along one axis (0 sideways, 1 along the car, 2 up): per window [from, to) its g.
std::function<Axes(double)> felt(int axis, const std::vector<std::array<double, 3>>& windows)
{
    return [=](double t) {
        double g[3] = {0, 0, 0};
        for (const auto& [from, to, value] : windows)
            if (during(t, from, to))
                g[axis] = value;
        return Axes{g[0], g[1], g[2]};
    };
}

// km/h: `before` until 3 s, changing by `perSecond` until 5 s, then `after`.
std::function<double(double)> ramp(double before, double perSecond, double after)
{
    return [=](double t) { return t < 3 ? before : t < 5 ? before + (t - 3) * perSecond : after; };
}

} // namespace

TEST(Events, FeltAccelerationsByKind)
{
    const auto none = [](double) { return std::nan(""); };
    const auto steady = [](double) { return 50.0; };
    // from, to: where each event must stand; strength: its peak.
    const auto expect = [](const char* what, const std::function<Axes(double)>& felt,
                           const std::function<double(double)>& kmh,
                           const std::vector<RVEventKind>& kinds, double from, double to,
                           double strength) {
        SCOPED_TRACE(what);
        std::vector<RVEventKind> found;
        for (const RVEvent& event : Drive(10, felt, kmh).events()) {
            found.push_back(event.kind);
            EXPECT_GE(event.seconds, from);
            EXPECT_LT(event.seconds, to);
            EXPECT_NEAR(event.strength, strength, 0.03);
        }
        EXPECT_EQ(found, kinds);
    };
    using enum RVEventKind;
    expect("braking while the speed drops: 0.6 g is 21 km/h a second", felt(1, {{3, 5, -0.6}}),
           ramp(60, -21, 18), {HardBraking}, 3, 5, 0.6);
    expect("the same force while the speed rises", felt(1, {{3, 5, 0.5}}), ramp(20, 17.6, 55),
           {HardAcceleration}, 3, 5, 0.5);
    expect("sideways while the speed holds", felt(0, {{3, 5, -0.6}}), steady, {SharpTurn}, 3, 5,
           0.6);
    expect("a turn below the turn threshold counts for nothing even above braking's",
           felt(0, {{3, 5, 0.5}}), steady, {}, 0, 0, 0);
    expect("without a speed series the direction is unknown", felt(1, {{3, 5, -0.6}}), none,
           {HarshDriving}, 3, 5, 0.6);
    const auto bumps = [](double t) {
        return Axes{0, 0, std::fmod(t + 0.01, 2.0) < 0.1 ? 0.9 : 0};
    };
    expect("one-sample bumps of 0.9 g are rattle, not driving", bumps, steady, {}, 0, 0, 0);
    expect("a blow is an impact at its moment, and the shake after it nothing more",
           felt(1, {{4, 4.1, 2.5}, {4.1, 4.3, -1.0}}), steady, {Impact}, 4, 4.1, 2.5);
    expect(
        "two brakes half a second apart are one episode", felt(1, {{2, 3, -0.6}, {3.5, 4.5, -0.6}}),
        [](double t) { return 120 - t * 21; }, {HardBraking}, 2, 4.5, 0.6);
    expect(
        "three seconds apart they are two", felt(1, {{2, 3, -0.6}, {6, 7, -0.6}}),
        [](double t) { return 200 - t * 21; }, {HardBraking, HardBraking}, 2, 7, 0.6);
    expect(
        "braking from the first sample", felt(1, {{0, 0.1, -0.9}, {0.1, 2, -0.6}}),
        [](double t) { return 80 - t * 21; }, {HardBraking}, 0, 0.1, 0.7);
    // Braking harder until the recording ends, its hardest moment past the last fix of a
    // once-a-second track: the last fixes tell the direction.
    const auto harder = [](double t) { return Axes{0, t < 7 ? 0 : 0.3 - t * 0.1, 0}; };
    const auto fixEachSecond = [](double t) {
        return std::fmod(t, 1.0) > 0 ? std::nan("") : t < 7 ? 90 : 230 - 20 * t;
    };
    expect("braking at the end, one fix a second", harder, fixEachSecond, {HardBraking}, 9.8, 10,
           0.68);
}

TEST(Events, OverSpeedIsOffUntilSetAndCountsEpisodes)
{
    // 90, then 105 for a while hovering down to 99 (within 3 km/h of the limit: still the
    // same episode), peak 110, back to 90, then a second episode peaking at 104.
    const auto kmh = [](double t) {
        for (const auto& [until, speed] :
             {std::pair{2.0, 90.0}, {3.0, 105.0}, {4.0, 99.0}, {5.0, 110.0}, {7.0, 90.0}})
            if (t < until)
                return speed;
        return 104.0;
    };
    const Drive drive(9, felt(0, {}), kmh);
    EXPECT_TRUE(drive.events().empty());
    RVEventThresholds limited = RVEventThresholds::defaults();
    limited.speedLimitKmh = 100;
    const std::vector<RVEvent> events = drive.events(limited);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, RVEventKind::OverSpeed);
    EXPECT_DOUBLE_EQ(events[0].strength, 110);
    EXPECT_NEAR(events[0].seconds, 4.0, 1e-9);
    EXPECT_DOUBLE_EQ(events[1].strength, 104);
    EXPECT_NEAR(events[1].seconds, 7.0, 1e-9);
    EXPECT_NEAR(events[1].latitude, 60.1, 1e-9);
}

TEST(Events, CameraMarksFromNames)
{
    const std::pair<const char*, std::optional<RVEventKind>> rows[] = {
        {"/c/BlackVue/Record/20170709_084737_EF.mp4", RVEventKind::CameraEvent},
        {"/c/BlackVue/Record/20170709_084737_IF.mp4", RVEventKind::CameraParkingImpact},
        {"/c/BlackVue/Record/20170709_084737_OF.mp4", RVEventKind::CameraOverSpeed},
        {"/c/BlackVue/Record/20170709_084737_MF.mp4", RVEventKind::CameraManual},
        {"/c/BlackVue/Record/20170709_084737_BF.mp4", RVEventKind::CameraEvent},
        {"/c/BlackVue/Record/20170709_084737_NF.mp4", std::nullopt},
        {"/c/BlackVue/Record/20170709_084737_PF.mp4", std::nullopt},
        {"/c/DCIM/Movie/RO/2023_0612_101500_000123F.MP4", RVEventKind::CameraEvent},
        {"/c/DCIM/Movie/2023_0612_101500_000123F.MP4", std::nullopt},
        {"/c/70mai/EV20230612-101500-000123F.MP4", RVEventKind::CameraEvent},
        {"/c/70mai/NO20230612-101500-000123F.MP4", std::nullopt},
        {"/c/DCIM/100KVLA/FILE0001.MOV", std::nullopt},
    };
    for (const auto& [path, kind] : rows)
        EXPECT_EQ(RVEventDetector::cameraMark(path), kind) << path;
    // The mark stands at the recording's start with the hardest jolt felt in it.
    const Drive jolted(4, felt(2, {{1, 1.1, 0.8}}), [](double) { return 30.0; });
    const std::vector<RVEvent> events =
        jolted.events(RVEventThresholds::defaults(), "/c/BlackVue/Record/20170709_084737_EF.mp4");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(events[0].strength, 0.8);
}

TEST(Events, RealBlackVueDrivesAreCalm)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    // Real 10 Hz logs of town driving near Minsk, one clip the camera kept as an event. Their
    // single samples reach 0.74 g on rough road; none is a hard manoeuvre or an impact.
    const std::pair<const char*, std::size_t> clips[] = {{"20170708_221449_N", 0},
                                                         {"20170709_080018_N", 0},
                                                         {"20170709_084652_P", 0},
                                                         {"20170709_084737_E", 1},
                                                         {"20170709_085648_N", 0}};
    for (const auto& [clip, marks] : clips) {
        SCOPED_TRACE(clip);
        const QString video = RealData::path(QStringLiteral("blackvue-dr650s/")) + clip + ".mp4";
        const std::optional<RVMetaData> data =
            RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video);
        ASSERT_TRUE(data);
        ASSERT_FALSE(data->gSensorData.empty());
        // The clip is as long as its sensor log (ms counters from its start).
        const double seconds = data->gSensorData.back().time().text().toDouble() / 1000.0;
        const std::vector<RVEvent> events =
            RVEventDetector(RVEventThresholds::defaults())
                .detect({&data->points, &data->gSensorData, &data->velocityData, seconds,
                         RVTimestamp(), video});
        ASSERT_EQ(events.size(), marks);
        for (const RVEvent& event : events)
            EXPECT_EQ(event.kind, RVEventKind::CameraEvent);
    }
}

TEST(Events, DemoCardStagedEventsAtTheirTimes)
{
    QTemporaryDir card;
    ASSERT_TRUE(support::runProgram(QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card"),
                                    {card.path()}));
    const QJsonObject manifest =
        QJsonDocument::fromJson(support::readFile(card.filePath("korvela-demo-card.json")))
            .object();
    auto list = idleList(RVVideoList::defaultMetaDataSource(), card.path());
    for (const RVVideoDataPtr& node : *list->videosData()) {
        list->readGpsInfo(node, false);
        ASSERT_TRUE(node->eventSeries());
    }
    int staged = 0;
    for (const QJsonValue& value : manifest["recordings"].toArray()) {
        const QJsonObject recording = value.toObject();
        const QString path = card.filePath(recording["video"].toString());
        SCOPED_TRACE(path.toStdString());
        const RVVideoDataPtr read = recordingAt(*list->videosData(), path);
        ASSERT_TRUE(read);
        std::vector<RVEvent> found;
        for (const RVEvent& event : *read->eventSeries()) {
            if (!RVEventDetector::cameraMark(path) || event.seconds > 0)
                found.push_back(event);
        }
        const QJsonArray expected = recording["events"].toArray();
        ASSERT_EQ(found.size(), std::size_t(expected.size()));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QJsonObject want = expected[i].toObject();
            EXPECT_EQ(eventKindName(found[i].kind), want["kind"].toString());
            EXPECT_GE(found[i].seconds, want["fromSeconds"].toDouble());
            EXPECT_LT(found[i].seconds, want["toSeconds"].toDouble());
            EXPECT_TRUE(found[i].time.isValid());
            EXPECT_FALSE(std::isnan(found[i].latitude));
            ++staged;
        }
    }
    EXPECT_EQ(staged, 2);
}
