// The camera families' file-name rules and file names kept by their bytes.
#include "core/RVNativePath.h"
#include "metadata/RVRecordingName.h"

#include <gtest/gtest.h>

TEST(RecordingName, EachFamilysNamesGiveTimeModeChannelAndSideFileStem)
{
    // "family start(local) modeCode mode channel stem". BlackVue names are read by position:
    // mode F (newer firmware) and channel F, E and R, R and F.
    const auto parsed = [](const char* path) {
        const auto name = parseRecordingName(path);
        const char* families[] = {"BlackVue", "Novatek", "70mai"};
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
         "70mai 2022-01-01 12:00:00 CET NO normal rear NO20220101-120000-000017"}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(parsed(path), name);
    // Names no rule claims: another camera's, an unknown mode or channel letter, an impossible
    // date, a missing or foreign extension.
    for (const char* other :
         {"FILE0001.MOV", "20150101_120000_F.MP4", "20170708_221449_QF.mp4",
          "20170708_221449_NX.mp4", "20171308_221449_NF.mp4", "20170708_246049_NF.mp4",
          "20170708_221449_NF", "20170708_221449_NF.gps", "2023_0512_143005_F.MP4",
          "2023_0512_143005_000123B.MP4", "NO20220101-120000-000017R.MP4", "/c/", ""})
        EXPECT_EQ(parsed(other), "none");
}

TEST(NativePath, EveryByteStringSurvivesTheRoundTrip)
{
    // Plain, UTF-8 and Latin-1 names, bad bytes, an encoded surrogate (not UTF-8), an overlong
    // "/", a character outside the BMP and one cut short, U+FEFF after a bad byte (a character,
    // not a byte-order mark).
    const QByteArray samples[] = {
        "/card/plain.MP4",      "/card/caf\xc3\xa9.MP4", "/card/caf\xe9.MP4",
        "\xff\xfe\x80",         "\xed\xa0\x80",          "\xc0\xaf",
        "\xf0\x9f\x9a\x97.mp4", "\xf0\x9f\x9a",          "\xff\xef\xbb\xbf.mp4"};
    for (const QByteArray& bytes : samples)
        EXPECT_EQ(RVNativePath::encode(RVNativePath::decode(bytes)), bytes) << bytes.toHex().data();
    // Valid UTF-8 decodes as usual.
    EXPECT_EQ(RVNativePath::decode("/card/caf\xc3\xa9.MP4"), QString::fromUtf8("/card/café.MP4"));
    EXPECT_EQ(RVNativePath::encode(QString::fromUtf8("🚗")), QByteArray("\xf0\x9f\x9a\x97"));
}
