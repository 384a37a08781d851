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
