// The camera families' file-name rules and file names kept by their bytes.
#include "metadata/RVNativePath.h"
#include "metadata/RVRecordingName.h"

#include <gtest/gtest.h>

TEST(RecordingName, EachFamilysNamesGiveTimeModeChannelAndSideFileStem)
{
    struct Case
    {
        const char* path;
        RVCameraFamily family;
        const char* start; // local time
        const char* modeCode;
        RVRecordingMode mode;
        RVChannel channel;
        const char* stem;
    };
    using F = RVCameraFamily;
    using M = RVRecordingMode;
    using C = RVChannel;
    const Case cases[] = {
        {"/c/BlackVue/Record/20170708_221449_NF.mp4", F::BlackVue, "2017-07-08T22:14:49", "N",
         M::Normal, C::Front, "20170708_221449_N"},
        // Read by position: mode F (newer firmware) and channel F; N and R; E and R.
        {"20170708_221449_FF.mp4", F::BlackVue, "2017-07-08T22:14:49", "F", M::Event, C::Front,
         "20170708_221449_F"},
        {"20170708_221449_NR.mp4", F::BlackVue, "2017-07-08T22:14:49", "N", M::Normal, C::Rear,
         "20170708_221449_N"},
        {"20170708_221449_ER.mp4", F::BlackVue, "2017-07-08T22:14:49", "E", M::Event, C::Rear,
         "20170708_221449_E"},
        {"20170708_221449_RF.mp4", F::BlackVue, "2017-07-08T22:14:49", "R", M::Event, C::Front,
         "20170708_221449_R"},
        {"20200229_235959_PIS.mp4", F::BlackVue, "2020-02-29T23:59:59", "P", M::Parking,
         C::Interior, "20200229_235959_P"},
        {"20170708_221449_MOL.MP4", F::BlackVue, "2017-07-08T22:14:49", "M", M::Manual, C::Optional,
         "20170708_221449_M"},
        {"/c/DCIM/Movie/2023_0512_143005_000123F.MP4", F::Novatek, "2023-05-12T14:30:05", "",
         M::Normal, C::Front, "2023_0512_143005_000123"},
        {"/c/DCIM/Movie/2023_0512_143005_0124PR.MP4", F::Novatek, "2023-05-12T14:30:05", "P",
         M::Parking, C::Rear, "2023_0512_143005_0124P"},
        {"/c/DCIM/Movie/RO/2023_0512_143005_000125I.MP4", F::Novatek, "2023-05-12T14:30:05", "",
         M::Event, C::Interior, "2023_0512_143005_000125"},
        {"/c/70mai/NO20220101-120000-000017B.MP4", F::SeventyMai, "2022-01-01T12:00:00", "NO",
         M::Normal, C::Rear, "NO20220101-120000-000017"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto name = parseRecordingName(c.path);
        ASSERT_TRUE(name);
        EXPECT_EQ(name->family, c.family);
        EXPECT_EQ(name->start, QDateTime::fromString(c.start, Qt::ISODate).toLocalTime());
        EXPECT_EQ(name->start.timeSpec(), Qt::LocalTime);
        EXPECT_EQ(name->modeCode, c.modeCode);
        EXPECT_EQ(std::pair(name->mode, name->channel), std::pair(c.mode, c.channel));
        EXPECT_EQ(name->sideFileStem, c.stem);
    }
    // Names no rule claims: another camera's, an unknown mode or channel letter, an impossible
    // date, a missing or foreign extension.
    for (const char* other :
         {"FILE0001.MOV", "20150101_120000_F.MP4", "20170708_221449_QF.mp4",
          "20170708_221449_NX.mp4", "20171308_221449_NF.mp4", "20170708_246049_NF.mp4",
          "20170708_221449_NF", "20170708_221449_NF.gps", "2023_0512_143005_F.MP4",
          "2023_0512_143005_000123B.MP4", "NO20220101-120000-000017R.MP4", "/c/", ""})
        EXPECT_FALSE(parseRecordingName(other)) << other;
    EXPECT_EQ(channelName(RVChannel::Optional), "optional");
}

TEST(NativePath, EveryByteStringSurvivesTheRoundTrip)
{
    const QByteArray samples[] = {
        "/card/plain.MP4",
        "/card/caf\xc3\xa9.MP4",
        "/card/caf\xe9.MP4",
        "\xff\xfe\x80",
        "\xed\xa0\x80",         // an encoded surrogate is not UTF-8
        "\xc0\xaf",             // an overlong "/"
        "\xf0\x9f\x9a\x97.mp4", // a character outside the BMP
        "\xf0\x9f\x9a",         // ... cut short
        "\xff\xef\xbb\xbf.mp4", // U+FEFF after a bad byte is a character, not a byte-order mark
    };
    for (const QByteArray& bytes : samples)
        EXPECT_EQ(RVNativePath::encode(RVNativePath::decode(bytes)), bytes) << bytes.toHex().data();
    // Valid UTF-8 decodes as usual.
    EXPECT_EQ(RVNativePath::decode("/card/caf\xc3\xa9.MP4"), QString::fromUtf8("/card/café.MP4"));
    EXPECT_EQ(RVNativePath::encode(QString::fromUtf8("🚗")), QByteArray("\xf0\x9f\x9a\x97"));
}
