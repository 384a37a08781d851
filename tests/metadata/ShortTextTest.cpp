#include "metadata/RVPoint.h"
#include "metadata/RVShortText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(ShortText, KeepsInlineAndHeapTextsThroughCopiesAndMoves)
{
    // 0, 15 (the last inline size) and 16 (the first heap size) bytes, and a long text.
    const std::vector<std::string> texts = {"", "-179.999999", "123456789012345",
                                            "1234567890123456", std::string(300, 'x')};
    for (const std::string& text : texts) {
        RVShortText a(text);
        EXPECT_EQ(a.view(), text);
        RVShortText copy(a);
        EXPECT_EQ(copy.view(), text);
        RVShortText moved(std::move(copy));
        EXPECT_EQ(moved.view(), text);
        EXPECT_TRUE(copy.view().empty());
        RVShortText assigned("short");
        assigned = moved;
        EXPECT_EQ(assigned.view(), text);
        assigned = RVShortText("again");
        EXPECT_EQ(assigned.view(), "again");
        assigned = assigned; // self-assignment keeps the text
        EXPECT_EQ(assigned.view(), "again");
    }
}

TEST(ShortText, PointKeepsCoordinateTextsVerbatim)
{
    RVPoint point("55.752060", "-37.609463", 12.5, 45.5, 18.5, RVTimestamp());
    std::vector<RVPoint> track(1000, point);
    track.back().setLongitude("a very long garbage coordinate text");
    EXPECT_EQ(track.front().longitude(), QStringLiteral("-37.609463"));
    EXPECT_EQ(track.back().longitude(), QStringLiteral("a very long garbage coordinate text"));
    EXPECT_EQ(track.front().altitude(), 12.5);
}
