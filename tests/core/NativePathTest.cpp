// File names kept by their bytes: every byte string survives the trip through QString.
#include "core/RVNativePath.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

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
