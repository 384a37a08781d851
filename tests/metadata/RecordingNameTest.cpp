// The camera families' file-name rules and the cameras' clocks.
#include "metadata/RVCameraClock.h"
#include "metadata/RVMetaDataReader.h"
#include "metadata/RVRecordingName.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(RecordingName, EachFamilysNamesGiveTimeModeChannelSideFileStemAndChapter)
{
    // "family start(local) modeCode mode channel stem". BlackVue names are read by position:
    // mode F (newer firmware) and channel F, E and R, R and F.
    const auto parsed = [](const QString& path) {
        const auto name = parseRecordingName(path);
        const char* families[] = {"BlackVue", "Novatek",   "70mai",   "GoPro",  "Tesla", "Neoline",
                                  "CARCAM",   "Thinkware", "Vueroid", "Mio",    "iBox",  "Beferich",
                                  "Escort",   "Nextbase",  "Garmin",  "Wolfbox"};
        const char* modes[] = {"unknown", "normal", "event", "parking", "manual"};
        return !name ? QStringLiteral("none")
                     : QStringList({families[int(name->family)],
                                    name->start.toString(u"yyyy-MM-dd HH:mm:ss t"), name->modeCode,
                                    modes[int(name->mode)], channelName(name->channel),
                                    name->sideFileStem})
                           .join(' ');
    };
    const std::pair<const char*, const char*> cases[] = {
        {"/c/BlackVue/Record/20170708_221449_NF.mp4",
         "BlackVue 2017-07-08 22:14:49 CEST N normal front 20170708_221449_N"},
        {"20170708_221449_FF.mp4",
         "BlackVue 2017-07-08 22:14:49 CEST F event front 20170708_221449_F"},
        {"20170708_221449_ER.mp4",
         "BlackVue 2017-07-08 22:14:49 CEST E event rear 20170708_221449_E"},
        {"20170708_221449_RF.mp4",
         "BlackVue 2017-07-08 22:14:49 CEST R event front 20170708_221449_R"},
        {"20200229_235959_PIS.mp4",
         "BlackVue 2020-02-29 23:59:59 CET P parking interior 20200229_235959_P"},
        {"20170708_221449_MOL.MP4",
         "BlackVue 2017-07-08 22:14:49 CEST M manual optional 20170708_221449_M"},
        {"/c/DCIM/Movie/2023_0512_143005_000123F.MP4",
         "Novatek 2023-05-12 14:30:05 CEST  normal front 2023_0512_143005_000123"},
        {"/c/DCIM/Movie/2023_0512_143005_0124PR.MP4",
         "Novatek 2023-05-12 14:30:05 CEST P parking rear 2023_0512_143005_0124P"},
        {"/c/DCIM/Movie/RO/2023_0512_143005_000125I.MP4",
         "Novatek 2023-05-12 14:30:05 CEST  event interior 2023_0512_143005_000125"},
        {"/c/70mai/NO20220101-120000-000017B.MP4",
         "70mai 2022-01-01 12:00:00 CET NO normal rear NO20220101-120000-000017"},
        // No channel letter: the front camera, or the only one.
        {"/c/70mai/NO20191130-120156-000121.MP4",
         "70mai 2019-11-30 12:01:56 CET NO normal front NO20191130-120156-000121"},
        {"EV20191130-120156-000122.mp4",
         "70mai 2019-11-30 12:01:56 CET EV event front EV20191130-120156-000122"},
        {"NO20260101-120000-000042R.MP4",
         "70mai 2026-01-01 12:00:00 CET NO normal rear NO20260101-120000-000042"},
        {"LA20260101-120000-000043.MP4",
         "70mai 2026-01-01 12:00:00 CET LA parking front LA20260101-120000-000043"},
        {"20170709_084737_E.mp4",
         "BlackVue 2017-07-09 08:47:37 CEST E event front 20170709_084737_E"},
        {"20150101_120000_PS.MP4",
         "BlackVue 2015-01-01 12:00:00 CET P parking front 20150101_120000_P"},
        {"2023_0512_143005_000126.MP4",
         "Novatek 2023-05-12 14:30:05 CEST  normal front 2023_0512_143005_000126"},
        // GoPro chapters: no time in the name.
        {"/c/DCIM/100GOPRO/GX020017.MP4", "GoPro   normal front GX020017"},
        {"GS010123.360", "GoPro   normal front GS010123"},
        // Tesla: the camera is a word; the folder tells events.
        {"/t/TeslaCam/RecentClips/2024-05-01_12-00-00-left_repeater.mp4",
         "Tesla 2024-05-01 12:00:00 CEST  normal left 2024-05-01_12-00-00"},
        {"/t/TeslaCam/SavedClips/2024-05-01_12-10-05/2024-05-01_12-09-00-right_pillar.mp4",
         "Tesla 2024-05-01 12:09:00 CEST  event right pillar 2024-05-01_12-09-00"},
        {"/t/TeslaCam/SentryClips/2024-05-01_12-10-05/2024-05-01_12-09-00-back.mp4",
         "Tesla 2024-05-01 12:09:00 CEST  event rear 2024-05-01_12-09-00"},
        // Later Novatek cameras write the time without underscores.
        {"/c/DCIM/Movie/20260406142122_000022.MP4",
         "Novatek 2026-04-06 14:21:22 CEST  normal front 20260406142122_000022"},
        {"INF20260725-120324-105-F.mp4",
         "Neoline 2026-07-25 12:03:24 CEST  normal front INF20260725-120324-105"},
        {"INF20260520-214526-1-R.MP4",
         "Neoline 2026-05-20 21:45:26 CEST  normal rear INF20260520-214526-1"},
        // CARCAM: a folder a channel; the event folder tells events.
        {"/c/Normal/A/REC20250607-180617-527-A.mp4",
         "CARCAM 2025-06-07 18:06:17 CEST  normal front REC20250607-180617-527"},
        {"/c/Event/D/REC20250607-180617-528-D.mp4",
         "CARCAM 2025-06-07 18:06:17 CEST  event optional REC20250607-180617-528"},
        {"/c/cont_rec/REC_2026_06_01_21_16_47_F.MP4",
         "Thinkware 2026-06-01 21:16:47 CEST REC normal front REC_2026_06_01_21_16_47"},
        {"EVT_2026_06_01_21_17_47_R.MP4",
         "Thinkware 2026-06-01 21:17:47 CEST EVT event rear EVT_2026_06_01_21_17_47"},
        {"20251111_085423_INF_F_N.mp4",
         "Vueroid 2025-11-11 08:54:23 CET N normal front 20251111_085423_INF"},
        {"20251111_085423_INF_R_P.mp4",
         "Vueroid 2025-11-11 08:54:23 CET P parking rear 20251111_085423_INF"},
        // Mio: a two-digit year; a single camera writes no channel letter.
        {"/c/Normal/F/FILE260819-071804F.mp4",
         "Mio 2026-08-19 07:18:04 CEST  normal front FILE260819-071804"},
        {"/c/Event/R/FILE260819-071804R.MP4",
         "Mio 2026-08-19 07:18:04 CEST  event rear FILE260819-071804"},
        {"/c/Normal/FILE260625-144859.MP4",
         "Mio 2026-06-25 14:48:59 CEST  normal front FILE260625-144859"},
        // iBox: the folder names the channel.
        {"/c/Normal/R/REC20260912-180135-43.mp4",
         "iBox 2026-09-12 18:01:35 CEST REC normal rear REC20260912-180135-43"},
        {"/c/Event/F/SOS20260913-130326-1379.mp4",
         "iBox 2026-09-13 13:03:26 CEST SOS event front SOS20260913-130326-1379"},
        {"/c/Parking/F/PAR20260913-121858-1.mp4",
         "iBox 2026-09-13 12:18:58 CEST PAR parking front PAR20260913-121858-1"},
        // Viofo: E an event, T the telephoto lens.
        {"2026_0513_172152_000126ET.MP4",
         "Novatek 2026-05-13 17:21:52 CEST E event optional 2026_0513_172152_000126E"},
        // Vantrue's later names: A front, B interior, C rear.
        {"/c/Normal/20260904_175735_00001_N_A.MP4",
         "Novatek 2026-09-04 17:57:35 CEST N normal front 20260904_175735_00001_N"},
        {"/c/Event/20240821_180010_0002_E_C.MP4",
         "Novatek 2024-08-21 18:00:10 CEST E event rear 20240821_180010_0002_E"},
        // Vantrue and BlueSkySea: A front, B rear; small letters on cameras with trailers.
        {"/c/Video/Normal/2017_0101_060101_001B.MP4",
         "Novatek 2017-01-01 06:01:01 CET  normal rear 2017_0101_060101_001"},
        {"2026-08-03_11_34_53_r.mp4",
         "Beferich 2026-08-03 11:34:53 CEST  normal rear 2026-08-03_11_34_53"},
        {"/c/Event/20260511_0016_CAM.MP4",
         "Escort 2026-05-11 00:16:00 CEST  event front 20260511_0016_CAM"},
        {"/c/DCIM/240915_143027_001_FH.MP4",
         "Nextbase 2024-09-15 14:30:27 CEST  normal front 240915_143027_001"},
        {"240101_000000_002_RL.MP4",
         "Nextbase 2024-01-01 00:00:00 CET  normal rear 240101_000000_002"},
        // Garmin: no time; the numbered folder's name is the mode, elsewhere there is none.
        {"/c/DCIM/103UNSVD/GRMN0845.MP4", "Garmin  UNSVD normal front GRMN0845"},
        {"/c/DCIM/100Event/GRMN0001.MP4", "Garmin  EVENT event front GRMN0001"},
        {"/c/DCIM/101SAVED/GRMN0002.MP4", "Garmin  SAVED manual front GRMN0002"},
        {"/home/trip/GRMN0003.MP4", "Garmin   normal front GRMN0003"},
        {"2026_03_15_173951_02_I.MP4",
         "Wolfbox 2026-03-15 17:39:51 CET 02 event interior 2026_03_15_173951_02"},
        {"2026_04_10_162529_00_R.mp4",
         "Wolfbox 2026-04-10 16:25:29 CEST 00 normal rear 2026_04_10_162529_00"}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(parsed(path), name);
    // Names no rule claims: another camera's, an unknown mode or channel letter, an impossible
    // date, a missing or foreign extension, a folder, none.
    const QString others =
        "FILE0001.MOV|20150101_120000_.MP4|20170708_221449_QF.mp4|20170708_221449_NX.mp4|"
        "20171308_221449_NF.mp4|20170708_246049_NF.mp4|20170708_221449_NF|20170708_221449_NF.gps|"
        "2023_0512_143005_F.MP4|2023_0512_143005_000123X.MP4|NO20220101-120000-000017I.MP4|"
        "GX01017.MP4|GP0017.MP4|GOPR017.MP4|GX010017.JPG|2024-05-01_12-00-00-fisheye.mp4|"
        "2024-05-01_12-00-00-front.mov|20260406142122000022.MP4|INF20260725-120324-105.mp4|"
        "REC20250607-180617-527-E.mp4|REC20250607-180617-527.MOV|FILE261319-071804F.mp4|"
        "FILE260819-071804X.mp4|2026-08-03_11_34_53_F.mp4|240915_143027_001_F.MP4|"
        "240915_143027_001_BH.MP4|241315_143027_001_FH.MP4|GRMN084.MP4|"
        "2026_03_15_173951_02_X.MP4|20260904_175735_00001_X_A.MP4|20260904_175735_00001_N_D.MP4|"
        "/c/|";
    for (const QString& other : others.split('|'))
        EXPECT_EQ(parsed(other), "none") << other.toStdString();
    // A low-quality copy names the file it copies; the original names none.
    EXPECT_EQ(parseRecordingName("/c/240915_143027_001_RL.mp4")->originalName,
              "240915_143027_001_RH.mp4");
    EXPECT_EQ(parseRecordingName("/c/240915_143027_001_RH.mp4")->originalName, "");

    // GoPro chapters share their series and count from one. "series chapter": the older cameras'
    // first chapter is GOPR, the second GP01; a looping recording's files and chapter 00 are no
    // chapters.
    const std::pair<const char*, const char*> chapters[] = {
        {"GX010042.MP4", "X0042 1"},     {"GX020042.MP4", "X0042 2"}, {"GH120042.MP4", "H0042 12"},
        {"GS030135.360", "S0135 3"},     {"GOPR1234.MP4", "P1234 1"}, {"GP011234.MP4", "P1234 2"},
        {"GP021234.mp4", "P1234 3"},     {"GHAA0002.MP4", " 0"},      {"GX000042.MP4", " 0"},
        {"20170708_221449_NF.mp4", " 0"}};
    for (const auto& [path, expected] : chapters) {
        const auto name = parseRecordingName(path);
        ASSERT_TRUE(name) << path;
        EXPECT_EQ(name->chapterSeries + ' ' + QString::number(name->chapter), expected) << path;
    }
}

TEST(RecordingName, EveryFamilyIsReadByItsReaderAndMarksItsChannelsApart)
{
    QSet<QString> readers;
    for (const RVMetaDataReader::Entry& reader : RVMetaDataReader::all())
        readers.insert(reader.format);
    for (const RVCameraFamilyInfo& family : cameraFamilies()) {
        EXPECT_TRUE(readers.contains(family.format)) << family.format;
        EXPECT_EQ(cameraFamilyOfFormat(family.format), family.family);
        EXPECT_EQ(cameraFamily(family.family).format, family.format);
        for (const QString& folder : QString::fromLatin1(family.cardFolder).split('|'))
            EXPECT_TRUE(cardRecordingFolders().contains(folder)) << family.format;
    }
    EXPECT_FALSE(cameraFamilyOfFormat("Mini"));
    QSet<QChar> marks;
    QSet<QString> names;
    for (RVChannel c :
         {RVChannel::Front, RVChannel::Rear, RVChannel::Interior, RVChannel::Optional}) {
        marks.insert(channelMark(c));
        names.insert(channelName(c));
    }
    EXPECT_EQ(marks.size() + names.size(), 8);
}

// Clock rules: offsets as people write them, the rule of a recording's card and family, the
// stored form, and the correction proposed when fix and name are whole hours apart.
TEST(CameraClock, OffsetsRulesAndProposals)
{
    const std::pair<const char*, int> offsets[] = {
        {"+3", 10800},    {"-1:30", -5400}, {"0:45", 2700}, {"+02:00", 7200},
        {" -8 ", -28800}, {"+24", 86400},   {"+25", -1},    {"1:60", -1},
        {"1.5", -1},      {"", -1},         {"+", -1},      {"3h", -1}};
    for (const auto& [text, seconds] : offsets)
        EXPECT_EQ(RVCameraClock::parseOffset(text).value_or(-1), seconds) << text;
    EXPECT_EQ(RVCameraClock::offsetText(-5400) + RVCameraClock::offsetText(10800), "-1:30+3:00");

    const QDateTime noon(QDate(2017, 7, 9), QTime(8, 47, 37));
    const auto utc = [](const RVTimestamp t) {
        return t.toDateTime().toString(u"HH:mm:ss").toStdString();
    };
    EXPECT_EQ(utc(RVCameraClock::instantOf(noon, {})), "06:47:37"); // the system's zone
    EXPECT_EQ(utc(RVCameraClock::instantOf(noon, {"Europe/Minsk", 0})), "05:47:37");
    EXPECT_EQ(utc(RVCameraClock::instantOf(noon, {"UTC", -5400})), "07:17:37");
    EXPECT_FALSE(RVCameraClock::instantOf(noon, {"Nowhere/Atlantis", 0}).isValid());

    RVCameraClock::setRule("/card/", std::nullopt, {"", 3600});
    RVCameraClock::setRule("/card", RVCameraFamily::Novatek, {"", 7200});
    RVCameraClock::setRule("/card/DCIM/Movie", std::nullopt, {"UTC", 0});
    RVCameraClock::setRule("", std::nullopt, {"", 60});
    const auto offset = [](const char* path, std::optional<RVCameraFamily> family) {
        const RVClockRule rule = RVCameraClock::ruleFor(path, family);
        return QString::number(rule.offsetSeconds) + rule.zone;
    };
    EXPECT_EQ(offset("/card/BlackVue/Record/a.mp4", RVCameraFamily::BlackVue), "3600");
    EXPECT_EQ(offset("/card/a.mp4", RVCameraFamily::Novatek), "7200");
    EXPECT_EQ(offset("/card/DCIM/Movie/a.mp4", RVCameraFamily::Novatek), "0UTC");
    EXPECT_EQ(offset("/cardigan/a.mp4", RVCameraFamily::Novatek), "60");
    const QStringList stored = RVCameraClock::rulesToText();
    RVCameraClock::setRulesFromText(
        stored + QStringList{"/x\tMini\t\t60", "/y\t\tMars/Base\t0", "/z\t\t\tlots", "broken"});
    EXPECT_EQ(RVCameraClock::rulesToText(), stored);
    RVCameraClock::setRule("/card", RVCameraFamily::Novatek, {});
    EXPECT_EQ(offset("/card/a.mp4", RVCameraFamily::Novatek), "3600");
    RVCameraClock::clearRules();
    EXPECT_EQ(offset("/card/a.mp4", RVCameraFamily::Novatek), "0");

    const RVTimestamp name = RVTimestamp::fromMSecsSinceEpoch(1499579257000);
    const auto propose = [&](std::int64_t fixAfterSeconds) {
        return RVCameraClock::proposedOffset(RVTimestamp::fromMSecsSinceEpoch(
                                                 name.msecsSinceEpoch() + fixAfterSeconds * 1000),
                                             name)
            .value_or(0);
    };
    EXPECT_EQ(propose(-3 * 3600 + 50), -3 * 3600); // the name three hours ahead; fix 50 s in
    EXPECT_EQ(propose(8 * 3600 - 9 * 60), 8 * 3600);
    EXPECT_EQ(propose(90) + propose(3 * 3600 + 11 * 60) + propose(30 * 3600), 0);
    EXPECT_FALSE(RVCameraClock::proposedOffset({}, name));

    // The correction for a card: its name (08:47:37 Berlin, 06:47:37Z) an hour ahead of the
    // first fix; a card folder's rule in place is kept and the hour added to it.
    const QString recording = "/media/G1/BlackVue/Record/20170709_084737_NF.mp4";
    const RVTimestamp fix = RVTimestamp::fromMSecsSinceEpoch(1499579270000); // 05:47:50Z
    RVCameraClock::setRule("/media/G1", RVCameraFamily::BlackVue, {"Europe/Berlin", 0});
    const auto proposal = RVCameraClock::proposeCorrection(recording, fix);
    RVCameraClock::clearRules();
    ASSERT_TRUE(proposal);
    EXPECT_EQ(proposal->folder, "/media/G1");
    EXPECT_EQ(proposal->family, RVCameraFamily::BlackVue);
    EXPECT_EQ(proposal->rule, (RVClockRule{"Europe/Berlin", -3600}));
    EXPECT_FALSE(RVCameraClock::proposeCorrection(
        recording, RVTimestamp::fromMSecsSinceEpoch(1499582857000 + 30000)));
    EXPECT_FALSE(RVCameraClock::proposeCorrection("/media/G1/FILE0001.MOV", fix));
    EXPECT_EQ(RVCameraClock::cardFolderOf("/m/G1/DCIM/Movie/RO/a.MP4", RVCameraFamily::Novatek),
              "/m/G1");
    EXPECT_EQ(RVCameraClock::cardFolderOf("/copy/a.MP4", RVCameraFamily::Novatek), "/copy");
    EXPECT_EQ(RVCameraClock::cardFolderOf("/m/C/Event/B/REC20250607-180617-527-B.mp4",
                                          RVCameraFamily::Carcam),
              "/m/C");
}
